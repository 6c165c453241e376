// The command line of basetrim-report.
#pragma once

#include <string>

#include "report/request.h"

namespace basetrim::report {

struct command_line {
    bool help = false;       // --help was given; the text is in help_text
    std::string help_text;
    report_request req;
};

// Parses the options: either --answers FILE, the answers file that was
// piped into basetrim, or the input record, the four result files and the
// two reference coordinates one by one; --output names the page. With
// --answers the file is read here. Throws report_error with a message for
// an unknown, incomplete or malformed option, or an unusable answers file.
command_line parse_command_line(int argc, const char* const* argv);

}  // namespace basetrim::report
