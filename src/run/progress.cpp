#include "run/progress.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace basetrim {

namespace {

constexpr double redraw_interval = 0.25;  // s: shortest time between two drawings
constexpr double first_drawing = 0.5;     // s: runs shorter than this show no line

void put_stderr(const char* s, size_t len) {
    while (len > 0) {
        ssize_t w = ::write(STDERR_FILENO, s, len);
        if (w <= 0) return;  // a progress line that cannot be shown is no failure
        s += w;
        len -= static_cast<size_t>(w);
    }
}

void describe_time(char* buf, size_t size, double seconds) {
    long s = static_cast<long>(seconds + 0.5);
    if (s >= 3600)
        std::snprintf(buf, size, "%ld h %02ld min", s / 3600, (s / 60) % 60);
    else if (s >= 60)
        std::snprintf(buf, size, "%ld min %02ld s", s / 60, s % 60);
    else
        std::snprintf(buf, size, "%ld s", s);
}

}  // namespace

progress_bar::progress_bar(int32_t total, out_stream& console)
    : enabled_(isatty(STDERR_FILENO) == 1 && total > 0), total_(total), console_(console) {
    start_ = last_ = std::chrono::steady_clock::now();
    if (enabled_) console_.set_before_write(&progress_bar::erase_hook, this);
}

progress_bar::~progress_bar() { finish(); }

void progress_bar::describe(char* buf, size_t size, int32_t done, int32_t total, double seconds) {
    double rate = seconds > 0 ? done / seconds : 0.0;
    char left[32];
    if (rate > 0)
        describe_time(left, sizeof left, (total - done) / rate);
    else
        std::snprintf(left, sizeof left, "?");
    std::snprintf(buf, size, "trials %ld of %ld  %.1f trials/s  %s left", static_cast<long>(done),
                  static_cast<long>(total), rate, left);
}

void progress_bar::update(int32_t done) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    double since_start = std::chrono::duration<double>(now - start_).count();
    if (since_start < first_drawing || std::chrono::duration<double>(now - last_).count() < redraw_interval) return;
    last_ = now;
    char text[160];
    char line[200];
    describe(text, sizeof text, done, total_, since_start);
    int len = std::snprintf(line, sizeof line, "\r %s\x1b[K", text);
    put_stderr(line, static_cast<size_t>(len));
    shown_ = true;
}

void progress_bar::erase() {
    if (!shown_) return;
    put_stderr("\r\x1b[K", 4);
    shown_ = false;
}

void progress_bar::erase_hook(void* self) { static_cast<progress_bar*>(self)->erase(); }

void progress_bar::finish() {
    if (!enabled_) return;
    erase();
    console_.set_before_write(nullptr, nullptr);
    enabled_ = false;
}

}  // namespace basetrim
