#include "run/driver.h"

int main() { return basetrim::run_basetrim(basetrim::default_options()); }
