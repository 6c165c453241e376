#include "run/output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <vector>

namespace basetrim {

namespace {

void append_v(std::string& buf, const char* fmt, va_list ap) {
    char small[512];
    va_list again;
    va_copy(again, ap);
    int len = std::vsnprintf(small, sizeof small, fmt, ap);
    if (len < 0) {
        va_end(again);
        return;
    }
    if (static_cast<size_t>(len) < sizeof small) {
        buf.append(small, static_cast<size_t>(len));
    } else {
        std::vector<char> big(static_cast<size_t>(len) + 1);
        std::vsnprintf(big.data(), big.size(), fmt, again);
        buf.append(big.data(), static_cast<size_t>(len));
    }
    va_end(again);
}

}  // namespace

void out_text::printf(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    append_v(buf_, fmt, ap);
    va_end(ap);
    if (sink_ && buf_.size() >= spill_size) spill();
}

void out_text::spill() { sink_->drain(*this); }

out_stream::~out_stream() {
    if (f_ && owned_) std::fclose(f_);
}

bool out_stream::open(const std::string& name, const char* mode) {
    name_ = name;
    owned_ = true;
    failed_ = false;
    errno_ = 0;
    f_ = std::fopen(name.c_str(), mode);
    if (!f_) {
        failed_ = true;
        errno_ = errno;
        return false;
    }
    // Large buffers: the result files of a long record hold tens of megabytes.
    std::setvbuf(f_, nullptr, _IOFBF, 1 << 16);
    return true;
}

void out_stream::attach(FILE* f, std::string name) {
    f_ = f;
    name_ = std::move(name);
    owned_ = false;
}

void out_stream::note_failure() {
    if (!failed_) {
        failed_ = true;
        errno_ = errno ? errno : EIO;
    }
}

void out_stream::write(std::string_view s) {
    if (!f_ || s.empty()) return;
    if (before_) before_(before_arg_);
    errno = 0;
    if (std::fwrite(s.data(), 1, s.size(), f_) != s.size()) note_failure();
}

bool out_stream::flush() {
    if (!f_) return !failed_;
    if (before_) before_(before_arg_);
    errno = 0;
    if (std::fflush(f_) != 0 || std::ferror(f_)) note_failure();
    return !failed_;
}

bool out_stream::close() {
    if (!f_) return !failed_;
    flush();
    if (owned_) {
        errno = 0;
        if (std::fclose(f_) != 0) note_failure();
    }
    f_ = nullptr;
    return !failed_;
}

void stop_run(out_text& con, const char* fmt, ...) {
    con.put("\n Stop: ");
    va_list ap;
    va_start(ap, fmt);
    append_v(con.raw(), fmt, ap);
    va_end(ap);
    con.put(" \n");
    throw run_stop{1};
}

std::string error_text(int err) { return err ? std::strerror(err) : "unknown error"; }

}  // namespace basetrim
