// From process start to the main window shown: starts kvt repeatedly on the offscreen platform,
// with every message box (the caution message too) answered at once and the program ending as
// soon as its window is shown, and prints the wall time of each start.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    const std::string program = KVT_PROGRAM_PATH;
    const auto dir = std::filesystem::temp_directory_path() / "kvt-startup-bench";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    setenv("KVT_AUTO_ANSWER", "1", 1);
    setenv("KVT_EXIT_WHEN_SHOWN", "1", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    std::vector<double> ms;
    for (int i = 0; i < runs + 1; ++i) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        char* args[] = {const_cast<char*>(program.c_str()), nullptr};
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawn(&pid, program.c_str(), &quiet, nullptr, args, environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (spawned != 0) {
            std::perror("posix_spawn");
            return 1;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (i > 0) {  // the first start warms the file cache
            ms.push_back(elapsed);
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "process start to main window shown (offscreen, %d runs): min %.1f ms, median "
        "%.1f ms, max %.1f ms\n",
        runs, ms.front(), ms[ms.size() / 2], ms.back());
    std::filesystem::remove_all(dir);
    return 0;
}
