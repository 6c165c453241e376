// The key press that ends a complete run: its code is the exit status. On a
// terminal it is one key, taken without echo and without Enter; otherwise
// the next non-blank character of standard input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/harness.h"

namespace {

using namespace basetrim_test;

run_answers short_run() {
    run_answers a;
    a.input = "shock.txt";
    a.ntrials = "2";
    return a;
}

void copy_example(const temp_dir& dir) {
    std::filesystem::copy_file(std::string(BASETRIM_SOURCE_DIR) + "/examples/shock.txt", dir.file("shock.txt"));
}

struct key_case {
    const char* name;
    const char* key;  // what follows the last answer on standard input
    int status;
};

void PrintTo(const key_case& c, std::ostream* os) { *os << c.name; }

const key_case key_cases[] = {
    {"lower_case_a", "a", 97},
    {"blanks_and_line_ends_before_the_key", " \n\t\n  b", 98},
    {"first_character_of_a_word", "xyz", 120},
    {"digit", "1", 49},
    {"end_of_input", "", 0},
};

class key_from_input : public ::testing::TestWithParam<key_case> {};

TEST_P(key_from_input, is_the_exit_status) {
    temp_dir dir("key");
    copy_example(dir);
    run_answers a = short_run();
    a.key = GetParam().key;
    run_result r = run_program(dir.path(), a.text());
    EXPECT_EQ(GetParam().status, r.status);
    const std::string prompt = "\n\n Calculation complete. \n Press any key to exit.";
    EXPECT_EQ(prompt, r.out.substr(r.out.size() - std::min(r.out.size(), prompt.size())));
}

INSTANTIATE_TEST_SUITE_P(stdin, key_from_input, ::testing::ValuesIn(key_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// Output of the terminal's master side that is there now.
std::string drain(int master) {
    std::string got;
    char buf[4096];
    pollfd p{master, POLLIN, 0};
    while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
        ssize_t k = read(master, buf, sizeof buf);
        if (k <= 0) break;
        got.append(buf, static_cast<size_t>(k));
    }
    return got;
}

TEST(key_press, on_a_terminal_is_one_key_without_echo_or_enter) {
    temp_dir dir("key_tty");
    copy_example(dir);
    run_answers a = short_run();
    a.key = "";
    std::string answers = a.text();
    answers.pop_back();  // no line for the key: it is typed on its own

    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) GTEST_SKIP() << "no pseudo-terminals here";
    ASSERT_EQ(0, grantpt(master));
    ASSERT_EQ(0, unlockpt(master));
    const std::string slave = ptsname(master);
    const std::string out_path = dir.file(".tty_stdout");
    const std::string exe = BASETRIM_EXE;

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setsid();
        int s = open(slave.c_str(), O_RDWR);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (s < 0 || out < 0 || chdir(dir.path().c_str()) != 0) _exit(127);
        dup2(s, 0);
        dup2(out, 1);
        dup2(out, 2);
        close(master);
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_EQ(static_cast<ssize_t>(answers.size()), write(master, answers.data(), answers.size()));

    // Wait until the prompt is out and the terminal is switched to single
    // keys; nothing else decides when the key is typed.
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::seconds(60);
    termios mode{};
    bool waiting = false;
    int wstatus = 0;
    bool exited = false;
    while (clock::now() < deadline) {
        drain(master);
        if (waitpid(pid, &wstatus, WNOHANG) == pid) {
            exited = true;
            break;
        }
        bool prompted = read_file(out_path).find("Press any key to exit.") != std::string::npos;
        if (prompted && tcgetattr(master, &mode) == 0 && !(mode.c_lflag & ICANON)) {
            waiting = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!waiting) {
        if (!exited) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
        }
        close(master);
        FAIL() << "the program did not wait for a single key; transcript:\n" << read_file(out_path);
    }
    EXPECT_FALSE(mode.c_lflag & ECHO) << "echo is off while the key is awaited";
    drain(master);

    ASSERT_EQ(1, write(master, "a", 1));  // no Enter
    while (clock::now() < deadline && !exited) {
        if (waitpid(pid, &wstatus, WNOHANG) == pid) exited = true;
        else std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &wstatus, 0);
        close(master);
        FAIL() << "the key did not end the program";
    }
    EXPECT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(97, WEXITSTATUS(wstatus));
    EXPECT_EQ("", drain(master)) << "the key is not echoed";
    termios after{};
    if (tcgetattr(master, &after) == 0) {
        EXPECT_TRUE(after.c_lflag & ICANON) << "line mode restored";
        EXPECT_TRUE(after.c_lflag & ECHO) << "echo restored";
    }
    close(master);
}

}  // namespace
