#include "run/text_in.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace basetrim {

namespace {
constexpr size_t in_buffer_size = 1 << 16;  // characters read from the file at a time
}

text_in::~text_in() { close(); }

bool text_in::open(const std::string& name) {
    close();
    name_ = name;
    owned_ = true;
    failed_ = false;
    errno_ = 0;
    fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        failed_ = true;
        errno_ = errno;
        return false;
    }
    return true;
}

void text_in::attach(int fd, std::string name) {
    close();
    fd_ = fd;
    name_ = std::move(name);
    owned_ = false;
}

void text_in::close() {
    if (fd_ >= 0 && owned_) ::close(fd_);
    fd_ = -1;
    at_end_ = false;
    delete[] buf_;
    buf_ = nullptr;
    pos_ = end_ = 0;
}

bool text_in::fill() {
    if (fd_ < 0 || failed_ || at_end_) return false;
    if (!buf_) buf_ = new char[in_buffer_size];
    // read() hands over what is there: a terminal gives one line at a time.
    ssize_t got;
    do {
        got = ::read(fd_, buf_, in_buffer_size);
    } while (got < 0 && errno == EINTR);
    pos_ = 0;
    end_ = got > 0 ? static_cast<size_t>(got) : 0;
    if (got < 0) {
        failed_ = true;
        errno_ = errno ? errno : EIO;
        return false;
    }
    if (got == 0) {
        at_end_ = true;
        return false;
    }
    return true;
}

bool text_in::rewind() {
    if (fd_ < 0) return false;
    if (::lseek(fd_, 0, SEEK_SET) != 0) {
        failed_ = true;
        errno_ = errno ? errno : ESPIPE;
        return false;
    }
    at_end_ = false;
    pos_ = end_ = 0;
    return true;
}

bool text_in::read_line() {
    size_t len = 0;
    while (len < line_capacity - 1) {
        if (pos_ == end_ && !fill()) break;
        // Copy up to the line feed or the end of the piece in one go.
        size_t room = line_capacity - 1 - len;
        size_t avail = end_ - pos_;
        size_t take = avail < room ? avail : room;
        const char* src = buf_ + pos_;
        const void* nl = std::memchr(src, '\n', take);
        if (nl) take = static_cast<size_t>(static_cast<const char*>(nl) - src) + 1;
        std::memcpy(line_ + len, src, take);
        len += take;
        pos_ += take;
        if (nl) break;
    }
    line_raw_ = len;
    if (len == 0) {
        line_len_ = 0;
        line_[0] = '\0';
        return false;
    }
    line_[len] = '\0';
    const void* nul = std::memchr(line_, '\0', len);
    line_len_ = nul ? static_cast<size_t>(static_cast<const char*>(nul) - line_) : len;
    return true;
}

namespace {

// Skips white space, then takes characters up to the next white space.
// Returns false when nothing but white space remained, or the word is longer
// than `cap` characters.
template <typename Get, typename Peek>
bool read_word(Get get, Peek peek, char* word, size_t cap, size_t& len) {
    int c;
    while ((c = peek()) != -1 && is_space(c)) get();
    len = 0;
    while ((c = peek()) != -1 && !is_space(c)) {
        get();
        if (len < cap) word[len] = static_cast<char>(c);
        ++len;
    }
    if (len == 0 || len >= cap) return false;
    word[len] = '\0';
    return true;
}

constexpr size_t word_cap = 128;  // characters: longest number a trial record holds is far shorter

}  // namespace

bool text_in::scan_long(int64_t& value) {
    char word[word_cap];
    size_t len;
    if (!read_word([&] { return get(); }, [&] { return peek(); }, word, word_cap, len)) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(word, &end, 10);
    if (end != word + len || errno == ERANGE) return false;
    value = v;
    return true;
}

bool text_in::scan_double(double& value) {
    char word[word_cap];
    size_t len;
    if (!read_word([&] { return get(); }, [&] { return peek(); }, word, word_cap, len)) return false;
    return parse_double(std::string_view(word, len), value) == len;
}

namespace {

size_t parse_with_strtod(std::string_view s, double& value) {
    // strtod needs a terminated string; the pieces parsed here are short.
    char tmp[line_capacity + 1];
    size_t len = s.size() < line_capacity ? s.size() : line_capacity;
    std::memcpy(tmp, s.data(), len);
    tmp[len] = '\0';
    char* end = nullptr;
    double v = std::strtod(tmp, &end);
    if (end == tmp) return 0;
    value = v;
    return static_cast<size_t>(end - tmp);
}

}  // namespace

size_t parse_double(std::string_view s, double& value) {
    if (straightforward) return parse_with_strtod(s, value);
    // std::from_chars reads what strtod reads, rounded the same (correctly),
    // except a leading plus sign, hexadecimal forms and results out of range;
    // those go to strtod itself.
    size_t k = 0;
    while (k < s.size() && is_space(static_cast<unsigned char>(s[k]))) ++k;
    const char* first = s.data() + k;
    const char* last = s.data() + s.size();
    if (first == last || *first == '+') return parse_with_strtod(s, value);
    double v;
    auto r = std::from_chars(first, last, v);
    if (r.ec != std::errc() || (r.ptr < last && (*r.ptr == 'x' || *r.ptr == 'X'))) return parse_with_strtod(s, value);
    value = v;
    return static_cast<size_t>(r.ptr - s.data());
}

}  // namespace basetrim
