// The live progress line on standard error while the trials run: trials
// done of the total, trials per second and the time left, redrawn a few
// times a second and erased at the end. Shown only when standard error is a
// terminal; standard output is never touched.
#pragma once

#include <chrono>
#include <cstdint>

#include "run/output.h"

namespace basetrim {

class progress_bar {
public:
    // `console` is the stream of the transcript: the line is erased before
    // the transcript writes, so the two never mix on one terminal line.
    progress_bar(int32_t total, out_stream& console);
    ~progress_bar();
    progress_bar(const progress_bar&) = delete;
    progress_bar& operator=(const progress_bar&) = delete;

    // `done` trials have been written out; redraws when the last drawing is
    // old enough.
    void update(int32_t done);
    // Erases the line (if shown) and leaves the terminal as it was.
    void finish();

    // The text of the line, for tests: "trials D of T  R trials/s  L left".
    static void describe(char* buf, size_t size, int32_t done, int32_t total, double seconds);

private:
    static void erase_hook(void* self);
    void erase();

    bool enabled_;
    bool shown_ = false;
    int32_t total_;
    out_stream& console_;
    std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace basetrim
