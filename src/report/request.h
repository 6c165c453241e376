// What a report is made of: the files of one run of basetrim, the answers
// it was given, and where the page goes.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "run/run_state.h"

namespace basetrim::report {

// A file or an option that cannot be used. The message names the file or
// the option and says what is wrong; the program prints it and exits 1.
struct report_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One answer of the dialogue as it stood in the answers file.
struct given_answer {
    std::string prompt;  // what was asked, in words
    std::string text;    // the answer as typed
    std::string note;    // how the run used it, when that differs
};

struct report_request {
    answers ans;                       // file names and reference coordinates; all of it with an answers file
    std::string answers_name;          // the answers file, "" when options named the files
    std::vector<given_answer> given;   // the whole dialogue, in prompt order, from the answers file
    std::string output_name = "report.html";
};

}  // namespace basetrim::report
