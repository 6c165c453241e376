// The run sequence: banner, dialogue, input, set-up, trials, selection and
// results, in one fixed order.
#pragma once

namespace basetrim {

// Runs the whole program on standard input and output. Returns the exit
// status: the final key's code after a complete run, 1 after a stop.
int run_basetrim();

}  // namespace basetrim
