#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace shopkeeper::workspace {
struct LoadError;
}

namespace shopkeeper::cli {

// Exit codes that scripts can rely on: one condition has one code in every command.
enum ExitCode
{
    kOk = 0,
    kUsage = 1,
    kMissingFiles = 2,
    kNoShops = 3,
    kUnreadableShop = 4, // a file or folder exists but cannot be read; the readable shops are still handled
    kSaveFailed = 5,
    kBadInput = 6, // told before the revision is compared and before the lock; nothing is written
    kChangedOnDisk =
        7, // the shop file changed since show (revision) or since it was read; --force overwrites
    kProblemsFound = 8, // check found problems, diff found differences
};

// What each code means, as --help prints it; the README's and the man page's tables say the same.
struct ExitCodeMeaning
{
    int code;
    const char* meaning;
};
inline constexpr ExitCodeMeaning kExitCodeMeanings[] = {
    {kOk, "done"},
    {kUsage, "usage: unknown command or wrong arguments"},
    {kMissingFiles,
     "a required file (itemshop.kor.str, itemshop.lst, npc.kor.str) is missing, or the workspace, "
     "itemshop or npc folder that holds it"},
    {kNoShops, "no NPC shop file in itemshop"},
    {kUnreadableShop,
     "a file or folder exists but cannot be read (no permission, a FIFO or device, a folder where a "
     "file belongs or the other way round): the workspace, itemshop, npc, a required file, or a "
     "shop file (also a SHOP to show or save that does not exist); npcs, where-used and replace "
     "--skip-unreadable still handle every readable shop"},
    {kSaveFailed,
     "the save failed (a write failed, the lock was busy, the save would change the shop's meaning)"},
    {kBadInput,
     "bad input: JSON, an ID or a cell that is no exact item ID, a page name that is empty or holds CR, "
     "LF, \">\", NUL or a character the table (BIG5) cannot hold; told before the revision and the lock, "
     "nothing is written"},
    {kChangedOnDisk, "the shop file changed since show (its revision) or since it was read; save --force "
                     "overwrites it"},
    {kProblemsFound, "check found problems; diff found the two workspaces differ"},
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

// Prints why the workspace cannot be used and gives its code (2, 3 or 4), the same in every command.
int workspaceFailed(const workspace::LoadError& error, Streams io);

} // namespace shopkeeper::cli
