// Runs one command with standard input and output redirected and prints its
// wall time, CPU time and peak resident memory:
//
//   measure IN OUT DIR command [args...]
//
// prints "seconds user_seconds peak_kilobytes exit_status".
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: measure IN OUT DIR command [args...]\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0) return 2;
    if (pid == 0) {
        int in = open(argv[1], O_RDONLY);
        int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || chdir(argv[3]) != 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    int status = 0;
    rusage use{};
    if (wait4(pid, &status, 0, &use) < 0) return 2;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double user = use.ru_utime.tv_sec + use.ru_utime.tv_usec * 1e-6 + use.ru_stime.tv_sec + use.ru_stime.tv_usec * 1e-6;
    std::printf("%.3f %.3f %ld %d\n", wall, user, use.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
