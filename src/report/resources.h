// The files built into basetrim-report: the chart library and the page's
// own script and style sheet, inlined into every report.
#pragma once

#include <string_view>

namespace basetrim::report {

std::string_view uplot_script();
std::string_view uplot_style();
std::string_view page_script();
std::string_view page_style();

}  // namespace basetrim::report
