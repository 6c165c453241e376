#include "run/dialogue.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace basetrim {

namespace {
constexpr size_t token_cap = 1 << 16;  // characters of a token kept; a longer one is refused
}

void dialogue::attach_std() {
    in.attach(STDIN_FILENO, "standard input");
    out.attach(stdout, "standard output");
    con.tie(&out);
}

void dialogue::flush() {
    out.drain(con);
    out.flush();
}

std::string dialogue::token(const char* prompt) {
    flush();
    int c;
    while ((c = in.peek()) != -1 && is_space(c)) in.get();
    std::string tok;
    size_t len = 0;
    while ((c = in.peek()) != -1 && !is_space(c)) {
        in.get();
        if (len < token_cap) tok.push_back(static_cast<char>(c));
        ++len;
    }
    if (len == 0) stop_run(con, "standard input ended before the answer to \"%s\"", prompt);
    if (len > token_cap) stop_run(con, "the answer to \"%s\" is %zu characters long", prompt, len);
    return tok;
}

bool convert_real(const std::string& tok, double& value) {
    if (tok.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(tok.c_str(), &end);
    if (end != tok.c_str() + tok.size()) return false;
    value = v;
    return true;
}

bool convert_int(const std::string& tok, int64_t& value) {
    if (tok.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(tok.c_str(), &end, 10);
    if (end != tok.c_str() + tok.size() || errno == ERANGE) return false;
    value = v;
    return true;
}

double dialogue::read_real(const char* prompt) {
    std::string tok = token(prompt);
    double v;
    if (!convert_real(tok, v))
        stop_run(con, "the answer '%s' to \"%s\" is not a number; a real number was expected",
                 tok.c_str(), prompt);
    return v;
}

int32_t dialogue::read_int(const char* prompt) {
    std::string tok = token(prompt);
    int64_t v;
    if (!convert_int(tok, v))
        stop_run(con, "the answer '%s' to \"%s\" is not a whole number; an integer was expected",
                 tok.c_str(), prompt);
    if (v < INT32_MIN || v > INT32_MAX)
        stop_run(con, "the answer %s to \"%s\" is out of range; it must lie between %ld and %ld",
                 tok.c_str(), prompt, static_cast<long>(INT32_MIN), static_cast<long>(INT32_MAX));
    return static_cast<int32_t>(v);
}

std::string dialogue::read_name(const char* prompt) {
    std::string tok = token(prompt);
    if (tok.size() >= static_cast<size_t>(name_capacity))
        stop_run(con, "the file name given for \"%s\" has %zu characters; a name may have at most %d",
                 prompt, tok.size(), name_capacity - 1);
    return tok;
}

int dialogue::read_key() {
    flush();
    if (isatty(STDIN_FILENO)) {
        termios saved;
        if (tcgetattr(STDIN_FILENO, &saved) == 0) {
            termios raw = saved;
            raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
            raw.c_cc[VMIN] = 1;
            raw.c_cc[VTIME] = 0;
            tcsetattr(STDIN_FILENO, TCSANOW, &raw);
            unsigned char key = 0;
            ssize_t got;
            do {
                got = ::read(STDIN_FILENO, &key, 1);
            } while (got < 0 && errno == EINTR);
            tcsetattr(STDIN_FILENO, TCSANOW, &saved);
            return got == 1 ? key : 0;
        }
    }
    int c;
    while ((c = in.get()) != -1)
        if (!is_space(c)) return c;
    return 0;
}

}  // namespace basetrim
