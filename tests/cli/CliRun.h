#pragma once

#include "TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace shopkeeper::test {

// What one run of the built shopkeeper-cli gave.
struct CliRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

#ifdef _WIN32
inline constexpr const char* kNullDevice = "NUL";
#else
inline constexpr const char* kNullDevice = "/dev/null";
#endif

// A path as the UTF-8 of a command line, on every platform.
inline std::string utf8(const std::filesystem::path& path)
{
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

inline std::string quoted(const std::filesystem::path& path)
{
    return "\"" + utf8(path) + "\"";
}

// Runs a command line of the system's shell, given as UTF-8, and returns its exit code. Windows
// gets it as UTF-16, never through the ANSI code page, so Chinese arguments arrive as they are.
inline int runShell(const std::string& command)
{
#ifdef _WIN32
    // cmd /c drops the first and the last quote of a line that starts with one: one more pair.
    const std::string line = "\"" + command + "\"";
    const int size = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
    return _wsystem(wide.c_str());
#else
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// Runs shopkeeper-cli with arguments (already quoted as a shell needs them) and the given input.
inline CliRun runCli(const std::string& arguments, const std::string& input = "")
{
    TempDir io;
    writeFile(io / "in", input);
    const int code = runShell("\"" SHOPKEEPER_CLI "\" " + arguments + " < " + quoted(io / "in") + " > " +
                              quoted(io / "out") + " 2> " + quoted(io / "err"));
    return {code, readFile(io / "out"), readFile(io / "err")};
}

} // namespace shopkeeper::test
