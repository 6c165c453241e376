// The answers file: the tokens that were piped into basetrim, in the order
// of its prompts.
#pragma once

#include <string>

#include "report/request.h"

namespace basetrim::report {

// Reads the answers from `text` (the contents of the file `name`): input
// file, output files 1 to 3, coefficient file, dmax weight, slope weight,
// trials, arbitrary integer, first and second coordinate (frequency and
// amplitude each), maximum exponent, maximum number of points, and the
// final key, which may be missing. Fills req.ans, req.given and
// req.answers_name. Throws report_error naming the answer that is missing
// or does not convert.
void parse_answers(const std::string& text, const std::string& name, report_request& req);

// Reads the file `name` and parses it as above; throws report_error when it
// cannot be read.
void read_answers_file(const std::string& name, report_request& req);

}  // namespace basetrim::report
