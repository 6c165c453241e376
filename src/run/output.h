// The output layer: every line of the console and of the files is formatted
// into an out_text first and reaches its destination through an out_stream.
// A trial formats into texts of its own, so the driver can write them out in
// trial order whatever thread computed them.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace basetrim {

class out_stream;

// Text gathered for the console or for a file, not yet written. A text tied
// to a stream writes itself out there whenever it has grown large.
class out_text {
public:
    void printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void put(std::string_view s) {
        buf_.append(s);
        if (sink_ && buf_.size() >= spill_size) spill();
    }
    void put(char c) { buf_.push_back(c); }
    void tie(out_stream* sink) { sink_ = sink; }
    const std::string& str() const { return buf_; }
    std::string& raw() { return buf_; }
    bool empty() const { return buf_.empty(); }
    size_t size() const { return buf_.size(); }
    void clear() { buf_.clear(); }

private:
    static constexpr size_t spill_size = 1 << 16;  // characters gathered before a tied text is written out
    void spill();

    std::string buf_;
    out_stream* sink_ = nullptr;
};

// A named output stream: an output file, or the console. A write that fails
// is remembered with its error number; the caller asks after flush or close.
class out_stream {
public:
    out_stream() = default;
    out_stream(const out_stream&) = delete;
    out_stream& operator=(const out_stream&) = delete;
    ~out_stream();

    // Opens the file `name` with the fopen mode; false when it cannot be opened.
    bool open(const std::string& name, const char* mode);
    // Uses an already open stream (standard output), which is not closed.
    void attach(FILE* f, std::string name);

    bool is_open() const { return f_ != nullptr; }
    const std::string& name() const { return name_; }
    int error() const { return errno_; }  // errno of the first failure, 0 if none
    bool failed() const { return failed_; }

    void write(std::string_view s);
    // Writes the text and empties it.
    void drain(out_text& t) {
        write(t.str());
        t.clear();
    }
    bool flush();  // false when a write or the flush failed
    // A call made before every write (the progress line erases itself).
    void set_before_write(void (*hook)(void*), void* arg) {
        before_ = hook;
        before_arg_ = arg;
    }
    bool close();  // false when a write, the flush or the close failed

private:
    void note_failure();

    FILE* f_ = nullptr;
    std::string name_;
    bool owned_ = false;
    void (*before_)(void*) = nullptr;
    void* before_arg_ = nullptr;
    bool failed_ = false;
    int errno_ = 0;
};

// A fatal condition: its message is already in the console text. The driver
// catches it, writes out what has been gathered and ends with `status`.
struct run_stop {
    int status;
};

// Prints "\n Stop: <message> \n" and ends the run with exit status 1.
[[noreturn]] void stop_run(out_text& con, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Ends the run with exit status 1 after a message the caller printed itself.
[[noreturn]] inline void fatal_stop() { throw run_stop{1}; }

// The error text of errno `err`, for messages.
std::string error_text(int err);

}  // namespace basetrim
