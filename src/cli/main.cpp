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
        out << "\nexit codes:\n"
               "  0  done\n"
               "  1  usage: unknown command or wrong arguments\n"
               "  2  a required file is missing\n"
               "  3  no NPC shop file\n"
               "  4  a shop file, table or folder cannot be read (npcs lists the readable shops first)\n"
               "  5  the save failed\n"
               "  6  bad input: JSON, a cell that is no exact item ID, a page name the table cannot hold\n"
               "  7  the shop file changed since show (\"revision\") or since it was read; save --force "
               "overwrites\n";
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
