// Buffered reading of a text file or of standard input: single characters,
// lines in pieces of at most 299 characters, and scanf-style numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "run/limits.h"

namespace basetrim {

class text_in {
public:
    text_in() = default;
    text_in(const text_in&) = delete;
    text_in& operator=(const text_in&) = delete;
    ~text_in();

    // Opens `name` for reading without newline translation; false on failure.
    bool open(const std::string& name);
    // Reads from a descriptor that stays open (standard input).
    void attach(int fd, std::string name);
    void close();

    bool is_open() const { return fd_ >= 0; }
    const std::string& name() const { return name_; }
    int error() const { return errno_; }  // errno of a failed open, read or rewind
    bool failed() const { return failed_; }

    // Next character, or -1 at end of file (or after a read error).
    int get() {
        if (pos_ == end_ && !fill()) return -1;
        return static_cast<unsigned char>(buf_[pos_++]);
    }
    int peek() {
        if (pos_ == end_ && !fill()) return -1;
        return static_cast<unsigned char>(buf_[pos_]);
    }
    // Characters still buffered, not yet taken.
    size_t buffered() const { return end_ - pos_; }

    // Back to the start of the file; false when the stream cannot seek.
    bool rewind();

    // Reads one line as fgets does with a buffer of line_capacity characters:
    // at most 299 characters, up to and including the line feed. False at end
    // of file when nothing was read. `line()` is the piece as C string
    // functions see it: up to its first NUL character, if it holds one.
    bool read_line();
    std::string_view line() const { return {line_, line_len_}; }
    size_t line_bytes() const { return line_raw_; }  // characters taken by the read

    // scanf-style conversions from the current position: white space is
    // skipped first. False when no number of that form stands there; the
    // characters of a failed number are consumed.
    bool scan_long(int64_t& value);
    bool scan_double(double& value);

private:
    bool fill();

    int fd_ = -1;
    bool owned_ = false;
    bool at_end_ = false;
    std::string name_;
    bool failed_ = false;
    int errno_ = 0;
    char* buf_ = nullptr;
    size_t pos_ = 0;
    size_t end_ = 0;
    char line_[line_capacity];
    size_t line_len_ = 0;
    size_t line_raw_ = 0;
};

// Blank, tab, line feed, vertical tab, form feed or carriage return.
inline bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Parses a real at the start of `s` (leading white space allowed) as "%lf"
// does. Returns the characters consumed, 0 when no number stands there.
size_t parse_double(std::string_view s, double& value);

}  // namespace basetrim
