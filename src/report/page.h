// The report page: one HTML file with its script, style sheets and data
// inlined, so it opens offline in any current browser.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/gather.h"

namespace basetrim::report {

// The whole page for `d`.
std::string report_page(const report_data& d);

// Writes the page to req.output_name; throws report_error when the file
// cannot be written.
void write_page(const std::string& name, const std::string& page);

// Pieces of the page, for the tests.
std::string base64(std::string_view bytes);
std::string html_escape(std::string_view text);
std::string json_number(double v);               // null when not finite
// The values as little-endian IEEE doubles (floats when `single`), in base64.
std::string packed(const std::vector<double>& values, bool single);
// A measure for the table: "infinite", or six significant digits.
std::string table_number(double v);

}  // namespace basetrim::report
