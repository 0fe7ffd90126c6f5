#include "cli/Command.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

int run(const std::vector<std::string>& argv)
{
    using namespace shopkeeper::cli;
    const auto argc = argv.size();
    const auto commands = allCommands();
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--version" || first == "-v") {
        std::cout << "shopkeeper-cli " << SHOPKEEPER_VERSION << "\n";
        return kOk;
    }
    if (first.empty() || first == "--help" || first == "-h" || first == "help") {
        std::ostream& out = first.empty() ? std::cerr : std::cout;
        out << "shopkeeper-cli: the NPC shop editor's command-line tool\n\nusage:\n"
            << "  shopkeeper-cli --version\n      print the version\n";
        for (const auto& command : commands)
            out << "  shopkeeper-cli " << command->usage() << "\n      " << command->summary() << "\n";
        out << "\nexit codes:\n";
        for (const auto& [code, meaning] : kExitCodeMeanings)
            out << "  " << code << "  " << meaning << "\n";
        return first.empty() ? kUsage : kOk;
    }
    for (const auto& command : commands) {
        if (command->name() == first) {
            std::vector<std::string> args(argv.begin() + 2, argv.end());
            if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
                std::cout << "usage: shopkeeper-cli " << command->usage() << "\n"
                          << command->summary() << "\n";
                return kOk;
            }
            return command->run(args, Streams{std::cin, std::cout, std::cerr});
        }
    }
    std::cerr << "shopkeeper-cli: unknown command '" << first << "' (see --help)\n";
    return kUsage;
}

} // namespace

#ifdef _WIN32
// Windows: the arguments come as UTF-16, so that paths and names in any script reach the commands
// as the UTF-8 they take everywhere; the streams are binary, so the output has the same bytes as
// on Linux (UTF-8, LF) and input is read as given; a console shows the UTF-8 while this runs.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const int wide = static_cast<int>(wcslen(argv[i]));
        const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], wide, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], wide, arg.data(), size, nullptr, nullptr);
        args.push_back(std::move(arg));
    }
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const UINT consoleCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    const int code = run(args);
    std::cout.flush();
    std::cerr.flush();
    if (consoleCodePage != 0)
        SetConsoleOutputCP(consoleCodePage);
    return code;
}
#else
int main(int argc, char** argv)
{
    return run(std::vector<std::string>(argv, argv + argc));
}
#endif
