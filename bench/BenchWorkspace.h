#pragma once

#include "generator/WorkspaceGenerator.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace shopkeeper::bench {

inline double millisecondsOf(const auto& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The floor of the tools: every file of the given folders of each root opened and read once, on
// one thread. Returns the bytes read.
inline std::size_t readFoldersOnce(const std::vector<std::filesystem::path>& roots,
                                   const std::vector<std::string>& folders)
{
    std::size_t bytes = 0;
    for (const auto& root : roots) {
        for (const auto& folder : folders) {
            for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
                std::ifstream in(entry.path(), std::ios::binary);
                std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                bytes += content.size();
            }
        }
    }
    return bytes;
}

// What the generator makes today, as one number: the bytes of a small workspace made with the
// large one's seed. A large workspace kept from an older generator is made again.
inline std::string generatorStamp()
{
    const auto probe = std::filesystem::temp_directory_path() / "shopkeeper-bench-stamp";
    std::filesystem::remove_all(probe);
    std::string all;
    if (generator::generateWorkspace(probe, {.shops = 3, .npcs = 3, .seed = 99})) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(probe)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            all += file.lexically_relative(probe).string() + "\n";
            all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    std::filesystem::remove_all(probe);
    return std::to_string(std::hash<std::string>{}(all));
}

// The large workspace the benchmarks share: 1,000 NPC shops and 10,000 NPC files, generated
// into the temporary folder and kept there for later runs of the same generator. With
// unknownItems, that percent of the items sold are unknown to the built-in list (4 by default),
// in a folder of its own.
inline std::filesystem::path largeWorkspace(int unknownItems = 4)
{
    const std::string name = "shopkeeper-bench-npcs" +
                             (unknownItems == 4 ? std::string() : "-unknown" + std::to_string(unknownItems));
    const auto folder = std::filesystem::temp_directory_path() / name;
    const auto stampFile = std::filesystem::temp_directory_path() / (name + ".stamp");
    const std::string stamp = generatorStamp();
    std::string kept;
    if (std::ifstream in(stampFile); in)
        std::getline(in, kept);
    if (kept != stamp || !std::filesystem::exists(folder / "npc/npc.kor.str")) {
        std::filesystem::remove_all(folder);
        auto ok = generator::generateWorkspace(
            folder, {.shops = 1000, .npcs = 10000, .seed = 99, .unknownItems = unknownItems});
        if (!ok) {
            std::cerr << ok.error().message << "\n";
            std::exit(1);
        }
        std::ofstream(stampFile) << stamp << "\n";
    }
    return folder;
}

#ifndef _WIN32
// One run in a process of its own: its wall and CPU time, its peak resident memory and its exit code.
struct ChildRun
{
    double ms = 0;
    double cpuMs = 0; // user and system time of all its threads, which a busy machine stretches less
    double peakMb = 0;
    int exitCode = -1;
};

inline ChildRun waitForChild(pid_t pid, std::chrono::steady_clock::time_point start)
{
    int status = 0;
    rusage usage{};
    ChildRun run;
    if (wait4(pid, &status, 0, &usage) == pid) {
        run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
        for (const timeval& time : {usage.ru_utime, usage.ru_stime})
            run.cpuMs += static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

// Runs work in a forked child, which exits with what work returns. No other thread of the
// caller may be running.
inline ChildRun runForked(const std::function<int()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work());
    return waitForChild(pid, start);
}

// Runs a program with args, its output and errors thrown away.
inline ChildRun runProgram(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed)
        return {};
    return waitForChild(pid, start);
}
#endif

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace shopkeeper::bench
