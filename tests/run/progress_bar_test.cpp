// The live progress line: its text, and a whole run with standard error on
// a pseudo-terminal against one with standard error in a file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "run/progress.h"
#include "support/harness.h"

namespace {

using namespace basetrim_test;

TEST(progress_bar, line_text) {
    struct {
        int32_t done, total;
        double seconds;
        const char* text;
    } cases[] = {
        {0, 100, 1.0, "trials 0 of 100  0.0 trials/s  ? left"},
        {50, 100, 2.0, "trials 50 of 100  25.0 trials/s  2 s left"},
        {1000, 40000, 1.0, "trials 1000 of 40000  1000.0 trials/s  39 s left"},
        {10, 100000, 2.0, "trials 10 of 100000  5.0 trials/s  5 h 33 min left"},
        {100, 1000, 10.0, "trials 100 of 1000  10.0 trials/s  1 min 30 s left"},
    };
    for (const auto& c : cases) {
        char buf[160];
        basetrim::progress_bar::describe(buf, sizeof buf, c.done, c.total, c.seconds);
        EXPECT_STREQ(c.text, buf);
    }
}

// Runs the program in `dir` with standard error on a new pseudo-terminal;
// returns what the terminal received and sets the exit status.
std::string run_with_terminal_stderr(const std::string& dir, const std::string& answers, int& status) {
    write_file(dir + "/.answers", answers);
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "no terminal";
    std::string slave_name = ptsname(master);
    pid_t pid = fork();
    if (pid == 0) {
        int slave = open(slave_name.c_str(), O_RDWR);
        int in = open((dir + "/.answers").c_str(), O_RDONLY);
        int out = open((dir + "/.stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (slave < 0 || in < 0 || out < 0 || chdir(dir.c_str()) != 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(slave, 2);
        close(master);
        execl(BASETRIM_EXE, BASETRIM_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    char buf[4096];
    for (;;) {
        ssize_t got = read(master, buf, sizeof buf);
        if (got <= 0) break;  // the terminal reports an error once the program has closed it
        seen.append(buf, static_cast<size_t>(got));
    }
    int w = 0;
    waitpid(pid, &w, 0);
    close(master);
    status = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    return seen;
}

TEST(progress_bar, shown_on_a_terminal_and_erased_leaving_the_transcript_alone) {
    temp_dir dir("progress");
    // A record long enough for the run to last past the first drawing.
    std::string record = "Time (s), Accel\n";
    for (int i = 0; i < 20000; ++i) record += std::to_string(i * 1e-5) + " " + std::to_string((i % 97) * 0.1 - 4) + "\n";
    write_file(dir.file("in.txt"), record);
    run_answers a;
    a.ntrials = "3000";
    a.coord1 = "20 1";
    a.coord2 = "200 10";
    int status = -1;
    std::string terminal = run_with_terminal_stderr(dir.path(), a.text(), status);
    std::string out_terminal = read_file(dir.file(".stdout"));
    ASSERT_EQ(97, status);
    run_result plain = run_program(dir.path(), a.text());
    ASSERT_EQ(97, plain.status);
    EXPECT_EQ("", plain.err);
    EXPECT_EQ(mask_transcript(plain.out), mask_transcript(out_terminal));
    if (terminal.find("trials ") == std::string::npos) GTEST_SKIP() << "the run ended before the first drawing";
    EXPECT_NE(std::string::npos, terminal.find(" of 3000  "));
    EXPECT_NE(std::string::npos, terminal.find(" trials/s  "));
    // The last thing on the terminal erases the line.
    ASSERT_GE(terminal.size(), 4u);
    EXPECT_EQ("\r\x1b[K", terminal.substr(terminal.size() - 4));
}

}  // namespace
