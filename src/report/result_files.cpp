#include "report/result_files.h"

#include <cstring>

#include "report/request.h"
#include "run/text_in.h"

namespace basetrim::report {

number_rows parse_number_rows(const std::string& text, const std::string& name, int count, const char* what) {
    number_rows r;
    r.columns.resize(count);
    // One line at a time; blank lines are passed over, and any other line
    // must hold `count` numbers and nothing after them.
    size_t start = 0;
    for (size_t line_no = 1; start < text.size(); ++line_no) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        size_t pos = 0;
        while (pos < line.size() && is_space(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos == line.size()) continue;
        const size_t first = pos;
        const auto garbled = [&] {
            std::string shown(line.substr(first, 60));
            while (!shown.empty() && is_space(static_cast<unsigned char>(shown.back()))) shown.pop_back();
            return report_error(name + " line " + std::to_string(line_no) + ": expected " + std::to_string(count) +
                                " numbers (" + what + "), found \"" + shown + "\"");
        };
        for (int k = 0; k < count; ++k) {
            double v = 0;
            size_t used = parse_double(line.substr(pos), v);
            if (used == 0) throw garbled();
            pos += used;
            r.columns[k].push_back(v);
        }
        while (pos < line.size() && is_space(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos != line.size()) throw garbled();
    }
    return r;
}

number_rows read_number_rows(const std::string& name, int count, const char* what) {
    // Read the whole file; an open or read failure names the file.
    text_in in;
    if (!in.open(name)) throw report_error(name + ": cannot open (" + std::strerror(in.error()) + ")");
    std::string text;
    for (int c = in.get(); c >= 0; c = in.get()) text.push_back(static_cast<char>(c));
    if (in.failed()) throw report_error(name + ": cannot read (" + std::strerror(in.error()) + ")");
    return parse_number_rows(text, name, count, what);
}

}  // namespace basetrim::report
