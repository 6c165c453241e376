#include "report_support.h"

#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/harness.h"

namespace report_test {

using namespace basetrim_test;

command_result run_command(const std::vector<std::string>& argv, const std::string& dir, int limit_s) {
    temp_dir io("io");
    const std::string out_path = io.file("out"), err_path = io.file("err");
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        setpgid(0, 0);
        if (chdir(dir.c_str()) != 0) _exit(127);
        int in = open("/dev/null", O_RDONLY);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    setpgid(pid, pid);
    command_result r;
    int wstatus = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit_s);
    for (;;) {
        pid_t w = waitpid(pid, &wstatus, WNOHANG);
        if (w == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            r.timed_out = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Children left behind by the program (Chromium's helpers) go with it.
    kill(-pid, SIGKILL);
    r.status = !r.timed_out && WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    return r;
}

std::string report_exe() { return BASETRIM_REPORT_EXE; }

int run_example(const std::string& dir) {
    const std::string src = BASETRIM_SOURCE_DIR;
    std::filesystem::copy_file(src + "/examples/shock.txt", dir + "/shock.txt");
    const std::string answers = read_file(src + "/examples/answers.txt");
    write_file(dir + "/answers.txt", answers);
    const run_result r = run_program(dir, answers);
    write_file(dir + "/transcript.txt", r.out);
    return r.status;
}

std::string chromium() {
    const char* env = std::getenv("BASETRIM_CHROMIUM");
    std::string path = env && *env ? env : "/usr/bin/chromium";
    return access(path.c_str(), X_OK) == 0 ? path : "";
}

command_result run_chromium(const std::string& page, const std::vector<std::string>& extra, int height,
                            int limit_s) {
    temp_dir profile("chromium");
    std::vector<std::string> argv = {chromium(),
                                     "--headless",
                                     "--no-sandbox",
                                     "--disable-gpu",
                                     "--disable-quic",
                                     "--no-first-run",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--user-data-dir=" + profile.path(),
                                     "--force-device-scale-factor=1",
                                     "--hide-scrollbars",
                                     "--window-size=1280," + std::to_string(height)};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back("file://" + std::filesystem::absolute(page).string());
    return run_command(argv, profile.path(), limit_s);
}

std::string element_text(const std::string& dom, const std::string& id) {
    const std::string key = "id=\"" + id + "\"";
    size_t at = dom.find(key);
    if (at == std::string::npos) return "";
    size_t start = dom.find('>', at);
    size_t end = dom.find('<', start);
    if (start == std::string::npos || end == std::string::npos) return "";
    return dom.substr(start + 1, end - start - 1);
}

picture read_png(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        throw std::runtime_error(path + ": not a PNG picture (" + image.message + ")");
    image.format = PNG_FORMAT_RGB;
    picture p;
    p.width = static_cast<int>(image.width);
    p.height = static_cast<int>(image.height);
    p.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        throw std::runtime_error(path + ": cannot decode (" + image.message + ")");
    }
    return p;
}

}  // namespace report_test
