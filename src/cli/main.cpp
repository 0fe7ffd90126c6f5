#include "Command.h"

#include <iostream>

int main(int argc, char** argv)
{
    using namespace shopkeeper::cli;
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
            std::vector<std::string> args(argv + 2, argv + argc);
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
