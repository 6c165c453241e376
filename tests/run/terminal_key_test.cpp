// The final key on a terminal: one key press, without Enter, gives the exit
// status. The program runs on a pseudo-terminal, answers typed as lines.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "run/whole_run.h"

namespace {

using namespace whole_run;

struct terminal_run {
    int status = -1;       // exit status, -1 when the program did not end by itself
    std::string out;       // what the terminal showed
    bool prompted = false; // the key prompt appeared before the key was sent
};

// Runs the program in `dir` on a new pseudo-terminal: types `answers`, waits
// for the key prompt, then presses `key` alone.
terminal_run run_on_terminal(const std::string& dir, const std::string& answers, char key) {
    terminal_run r;
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return r;
    const std::string slave = ptsname(master);
    pid_t pid = fork();
    if (pid < 0) return r;
    if (pid == 0) {
        setsid();
        int s = open(slave.c_str(), O_RDWR);
        if (s < 0 || chdir(dir.c_str()) != 0) _exit(127);
        dup2(s, 0);
        dup2(s, 1);
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 2);
        close(master);
        execl(BASETRIM_EXE, BASETRIM_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    if (write(master, answers.data(), answers.size()) != static_cast<ssize_t>(answers.size())) {
        kill(pid, SIGKILL);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool key_sent = false, exited = false;
    int wstatus = 0;
    char buf[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            ssize_t got = read(master, buf, sizeof buf);
            if (got > 0) r.out.append(buf, static_cast<size_t>(got));
        }
        if (!key_sent && r.out.find("Press any key to exit.") != std::string::npos) {
            r.prompted = true;
            key_sent = write(master, &key, 1) == 1;
        }
        if (!exited && waitpid(pid, &wstatus, WNOHANG) == pid) exited = true;
        if (exited) {
            // Take what is left on the terminal, then stop.
            while (poll(&p, 1, 0) > 0) {
                ssize_t got = read(master, buf, sizeof buf);
                if (got <= 0) break;
                r.out.append(buf, static_cast<size_t>(got));
            }
            break;
        }
    }
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &wstatus, 0);
    } else if (WIFEXITED(wstatus)) {
        r.status = WEXITSTATUS(wstatus);
    }
    close(master);
    return r;
}

TEST(terminal_key, one_key_without_enter_gives_the_exit_status) {
    for (char key : {'a', 'Z'}) {
        run_dir d("terminal_key");
        std::vector<std::string> tokens = default_tokens();
        tokens.pop_back();  // the key is pressed, not typed as an answer
        terminal_run r = run_on_terminal(d.dir.path(), join(tokens), key);
        EXPECT_TRUE(r.prompted) << r.out;
        EXPECT_EQ(static_cast<int>(key), r.status) << "key " << key;
        EXPECT_FALSE(read_file(d.file("coef.txt")).empty());
    }
}

}  // namespace
