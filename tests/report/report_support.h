// Support for the report tests: running programs with arguments and a time
// limit, a whole basetrim run on the shipped example, headless Chromium and
// PNG pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace report_test {

struct command_result {
    int status = -1;         // exit status, -1 when the program did not exit normally
    bool timed_out = false;  // killed at the time limit
    std::string out, err;
};

// Runs argv[0] with the arguments in `dir`, standard input empty. The
// program and its children run in a process group of their own, killed
// when `limit_s` seconds have passed.
command_result run_command(const std::vector<std::string>& argv, const std::string& dir, int limit_s = 120);

// The report program, as built.
std::string report_exe();

// Runs basetrim in `dir` on a copy of the shipped example with its answers
// file (examples/answers.txt, also copied as answers.txt), its console
// transcript kept as transcript.txt; returns its exit status.
int run_example(const std::string& dir);

// Headless Chromium, or "" when it is not installed (the tests then skip).
// BASETRIM_CHROMIUM names another binary.
std::string chromium();

// Runs Chromium headless on the file `page` with `extra` options, a fresh
// profile and every background service off, at a window of 1280 by
// `height` CSS pixels and one device pixel per CSS pixel.
command_result run_chromium(const std::string& page, const std::vector<std::string>& extra, int height = 2300,
                            int limit_s = 180);

// The text of the element with this id in a DOM dump (no nested elements).
std::string element_text(const std::string& dom, const std::string& id);

// An RGB picture decoded from a PNG file; throws on a file that is not one.
struct picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes per pixel, rows top to bottom
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};
picture read_png(const std::string& path);

}  // namespace report_test
