// The sample reader and the time base.
#pragma once

#include <cstdint>
#include <string_view>

#include "run/output.h"
#include "run/run_state.h"
#include "run/text_in.h"

namespace basetrim {

// Reads "time amplitude" from a line: scanned as "%lf, %lf" when the line
// holds a comma, as "%lf %lf" otherwise. False when the line does not yield
// both numbers in its form.
bool parse_sample(std::string_view line, double& time, double& amp);

// Reads the samples from the current position of `in` (after the header
// lines) and sets the time base, printing the first time, the interval and
// the count. A blank line is no sample; any other line must yield two
// numbers, or the run stops naming its line. Lines past max_samples samples
// are not read, with a warning. Stops after the count line when the samples
// give no usable time base: fewer than two, a time that is not finite, a
// last time not after the first or below zero, or an interval so short that
// the free-decay tail could not be counted.
void read_samples(time_history& th, text_in& in, out_text& con, int64_t header_count);

}  // namespace basetrim
