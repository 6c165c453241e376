// Header lines: the lines of text before the numbers of a time-history file.
#pragma once

#include <cstdint>
#include <string_view>

#include "run/output.h"
#include "run/text_in.h"

namespace basetrim {

// True when the line holds a letter or one of ! # $ % ^ & * / > < ? = ; @,
// where an E (an e) counts only if the line holds neither "E+" nor "E-"
// (neither "e+" nor "e-").
bool looks_like_text(std::string_view line);

// Scans the whole input file; the header is every line up to the last one
// that looks like text. Rewinds, prints the count and echoes the header
// lines, leaving the file at the first line after them. Returns the count.
// Stops the run when the file cannot be read or rewound.
int64_t count_header_lines(text_in& in, out_text& con);

}  // namespace basetrim
