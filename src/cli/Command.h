#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace shopkeeper::cli {

// Exit codes that scripts can rely on.
enum ExitCode
{
    kOk = 0,
    kUsage = 1,
    kMissingFiles = 2,
    kNoShops = 3,
    kUnreadableShop = 4, // a shop file, table or folder cannot be read; npcs lists the others first
    kSaveFailed = 5,
    kBadInput = 6, // bad JSON, a cell that is no exact item ID, a page name the table cannot hold
    kChangedOnDisk =
        7, // the shop file changed since show (revision) or since it was read; --force overwrites
};

struct Streams
{
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// One subcommand of shopkeeper-cli.
class Command
{
public:
    virtual ~Command() = default;
    virtual std::string name() const = 0;
    virtual std::string usage() const = 0;
    virtual std::string summary() const = 0;
    virtual int run(const std::vector<std::string>& args, Streams io) = 0;
};

std::vector<std::unique_ptr<Command>> allCommands();

} // namespace shopkeeper::cli
