#pragma once

#include "TestFiles.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace shopkeeper::test {

// What one run of the built shopkeeper-cli gave.
struct CliRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs shopkeeper-cli with arguments (already quoted as a shell needs them) and no input.
inline CliRun runCli(const std::string& arguments)
{
    TempDir io;
    const std::string command = "\"" SHOPKEEPER_CLI "\" " + arguments + " > \"" + (io / "out").string() +
                                "\" 2> \"" + (io / "err").string() + "\" < /dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(io / "out"), readFile(io / "err")};
}

} // namespace shopkeeper::test
