// The console: answers read as whitespace-delimited tokens from standard
// input, and the transcript gathered and written to standard output.
#pragma once

#include <cstdint>
#include <string>

#include "run/output.h"
#include "run/text_in.h"

namespace basetrim {

struct dialogue {
    text_in in;       // standard input
    out_stream out;   // standard output
    out_text con;     // transcript not yet written

    // Attaches standard input and output.
    void attach_std();
    // Writes the gathered transcript and flushes it.
    void flush();

    // Each reader flushes the transcript, so the prompt shows, then reads the
    // next token. `prompt` names the question in messages. A missing token
    // (input ended) or one that does not convert in whole stops the run.
    double read_real(const char* prompt);
    int32_t read_int(const char* prompt);
    std::string read_name(const char* prompt);

    // The final key press. On a terminal: one key, without echo and without
    // waiting for Enter. Otherwise the next non-blank character of standard
    // input. Returns the key's code, or 0 when input has ended.
    int read_key();

private:
    std::string token(const char* prompt);
};

// Conversions of a whole token, as "%lf" and "%ld" would read it; false when
// some character of the token is not part of the number.
bool convert_real(const std::string& tok, double& value);
bool convert_int(const std::string& tok, int64_t& value);

}  // namespace basetrim
