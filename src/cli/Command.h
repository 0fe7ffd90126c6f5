#pragma once

#include <iosfwd>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::catalogue {
struct ExternalTableError;
}
namespace shopkeeper::history {
struct RestoreError;
}
namespace shopkeeper::shop {
struct SaveError;
}
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

// What a command takes: positionals, and the options it knows. An argument that starts with
// "--" is an option; one it does not know is a usage error, unless otherDashesArePositional.
struct Syntax
{
    std::size_t minPositional = 0;
    std::size_t maxPositional = std::numeric_limits<std::size_t>::max();
    std::vector<std::string_view> flags = {};   // on when given, any number of times
    std::vector<std::string_view> options = {}; // each takes the next argument, whatever it looks like
    bool optionsOnce = false;                   // an option given twice is a usage error
    // The arguments may be free text (IDs, "-1", a shop name): an unknown "--x" is one of them.
    bool otherDashesArePositional = false;
    // This many arguments at the start are positionals whatever they look like.
    std::size_t leadingPositionals = 0;
};

// A command's arguments as its Syntax reads them.
struct Args
{
    std::vector<std::string> positional;
    std::vector<std::string> flags;
    std::vector<std::pair<std::string, std::string>> options; // in the order given

    bool has(std::string_view flag) const;
    // Every value given to option, in order.
    std::vector<std::string> values(std::string_view option) const;
    // The json flag, which every command that prints JSON spells the same.
    bool json() const { return has("--json"); }
};

// Nothing when args do not fit the syntax.
std::optional<Args> parseArgs(const Syntax& syntax, const std::vector<std::string>& args);

// One subcommand of shopkeeper-cli: its help, its syntax and what it does. Every command reads
// its arguments, reports wrong ones and --help the same way.
class Command
{
public:
    using Action = int (*)(const Args& args, Streams io);
    Command(std::string name, std::string usage, std::string summary, Syntax syntax, Action action);

    const std::string& name() const { return name_; }
    const std::string& usage() const { return usage_; }
    const std::string& summary() const { return summary_; }
    // Reads args by the syntax and runs the action. Arguments that do not fit, or an action
    // that returns kUsage (a value it cannot take), print the usage line and give kUsage.
    int run(const std::vector<std::string>& args, Streams io) const;

private:
    std::string name_;
    std::string usage_;
    std::string summary_;
    Syntax syntax_;
    Action action_;
};

std::vector<std::unique_ptr<Command>> allCommands();

// The exit code of each core failure, the same in every command.
int exitCodeOf(const workspace::LoadError& error); // 2, 3 or 4
int exitCodeOf(const shop::SaveError& error);
int exitCodeOf(const history::RestoreError& error);
int exitCodeOf(const catalogue::ExternalTableError& error);

// Prints why the workspace cannot be used and gives its code (2, 3 or 4), the same in every command.
int workspaceFailed(const workspace::LoadError& error, Streams io);

// Messages keep the CR LF of the window texts; a terminal wants plain line ends.
std::string forTerminal(std::string_view message);

} // namespace shopkeeper::cli
