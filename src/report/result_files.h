// The four result files of a run, read back: baseline, corrected record,
// spectrum and knot list.
#pragma once

#include <string>
#include <vector>

namespace basetrim::report {

// The rows of a file of numbers: columns[k][i] is the k-th number of the
// i-th line that is not blank.
struct number_rows {
    std::vector<std::vector<double>> columns;
    size_t rows() const { return columns.empty() ? 0 : columns[0].size(); }
};

// Reads a file whose every line that is not blank holds exactly `count`
// numbers separated by white space, each as "%lf" reads it. `what` says
// which file it is in messages. Throws report_error naming the file, and
// the line that holds anything else.
number_rows read_number_rows(const std::string& name, int count, const char* what);

// The same from the text of a file; `name` is for messages.
number_rows parse_number_rows(const std::string& text, const std::string& name, int count, const char* what);

}  // namespace basetrim::report
