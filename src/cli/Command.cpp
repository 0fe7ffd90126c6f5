#include "cli/Command.h"

#include "core/catalogue/ExternalItemTable.h"
#include "core/history/History.h"
#include "core/shop/ShopWriter.h"
#include "core/workspace/Workspace.h"

#include <algorithm>
#include <ostream>

namespace shopkeeper::cli {

bool Args::has(std::string_view flag) const
{
    return std::ranges::find(flags, flag) != flags.end();
}

std::vector<std::string> Args::values(std::string_view option) const
{
    std::vector<std::string> found;
    for (const auto& [name, value] : options) {
        if (name == option)
            found.push_back(value);
    }
    return found;
}

std::optional<Args> parseArgs(const Syntax& syntax, const std::vector<std::string>& args)
{
    Args parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-1" is an ID, never an option: only "--" starts one.
        if (i < syntax.leadingPositionals || !arg.starts_with("--")) {
            parsed.positional.push_back(arg);
        } else if (std::ranges::find(syntax.flags, arg) != syntax.flags.end()) {
            parsed.flags.push_back(arg);
        } else if (std::ranges::find(syntax.options, arg) != syntax.options.end()) {
            if (i + 1 >= args.size() || (syntax.optionsOnce && !parsed.values(arg).empty()))
                return std::nullopt;
            parsed.options.emplace_back(arg, args[i + 1]);
            ++i;
        } else if (syntax.otherDashesArePositional) {
            parsed.positional.push_back(arg);
        } else {
            return std::nullopt;
        }
    }
    if (parsed.positional.size() < syntax.minPositional || parsed.positional.size() > syntax.maxPositional)
        return std::nullopt;
    return parsed;
}

Command::Command(std::string name, std::string usage, std::string summary, Syntax syntax, Action action)
    : name_(std::move(name)), usage_(std::move(usage)), summary_(std::move(summary)),
      syntax_(std::move(syntax)), action_(action)
{
}

int Command::run(const std::vector<std::string>& args, Streams io) const
{
    const auto parsed = parseArgs(syntax_, args);
    const int code = parsed ? action_(*parsed, io) : kUsage;
    if (code == kUsage)
        io.err << "usage: shopkeeper-cli " << usage_ << "\n";
    return code;
}

int exitCodeOf(const workspace::LoadError& error)
{
    switch (error.kind) {
    case workspace::LoadError::Kind::MissingFiles:
        return kMissingFiles;
    case workspace::LoadError::Kind::NoShopFiles:
        return kNoShops;
    case workspace::LoadError::Kind::UnreadableFile:
        return kUnreadableShop;
    }
    return kUnreadableShop;
}

int exitCodeOf(const shop::SaveError& error)
{
    using Kind = shop::SaveError::Kind;
    switch (error.kind) {
    case Kind::ChangedOnDisk:
        return kChangedOnDisk;
    case Kind::TableUnreadable:
    case Kind::ShopUnreadable:
        return kUnreadableShop;
    case Kind::BadPageName:
    case Kind::BadCell:
    case Kind::CannotEncode:
        return kBadInput;
    default:
        return kSaveFailed;
    }
}

int exitCodeOf(const history::RestoreError& error)
{
    switch (error.kind) {
    case history::RestoreError::Kind::NoSuchEntry:
        return kBadInput;
    case history::RestoreError::Kind::ChangedSince:
        return kChangedOnDisk;
    case history::RestoreError::Kind::Failed:
        return kSaveFailed;
    }
    return kSaveFailed;
}

int exitCodeOf(const catalogue::ExternalTableError& error)
{
    return error.reason == catalogue::ExternalTableError::Reason::Missing ? kMissingFiles : kBadInput;
}

int workspaceFailed(const workspace::LoadError& error, Streams io)
{
    io.err << forTerminal(error.message) << "\n";
    return exitCodeOf(error);
}

std::string forTerminal(std::string_view message)
{
    std::string out;
    out.reserve(message.size());
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n')
            continue;
        out.push_back(message[i]);
    }
    return out;
}

} // namespace shopkeeper::cli
