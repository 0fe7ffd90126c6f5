#include "CatalogueCommands.h"
#include "Command.h"
#include "HistoryCommands.h"
#include "ShopJson.h"
#include "ToolCommands.h"
#include "core/history/History.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileSystem.h"
#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/text/StringTable.h"
#include "core/workspace/NpcDiscovery.h"
#include "core/workspace/Workspace.h"
#include "generator/WorkspaceGenerator.h"

#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>

namespace shopkeeper::cli {

namespace {

using json = nlohmann::ordered_json;

// Messages keep the CR LF of the window texts; a terminal wants plain line ends.
std::string forTerminal(const std::string& message)
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

std::string readAll(std::istream& in)
{
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int usageError(const Command& command, Streams io)
{
    io.err << "usage: shopkeeper-cli " << command.usage() << "\n";
    return kUsage;
}

// Opens SHOP of WORKSPACE the way choosing its NPC does: a fresh page-name table, then the shop.
std::expected<shop::ShopDocument, shop::ShopReadError> openShop(const workspace::Workspace& ws,
                                                                const std::string& shopName)
{
    // SHOP names a file inside itemshop, never a path that leads elsewhere.
    if (shopName.empty() || shopName == "." || shopName == ".." ||
        shopName.find_first_of("/\\") != std::string::npos)
        return std::unexpected(shop::ShopReadError{
            shop::ShopReadError::Kind::BadPath, "商店文件名不能包含路径：" + shopName, {}, false});
    const auto path = ws.locate(std::filesystem::path("itemshop") / io::pathFromUtf8(shopName));
    return shop::ShopReader::open(path, ws.shopStringTablePath());
}

int exitCodeFor(const shop::SaveError& error)
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

class NpcsCommand : public Command
{
public:
    std::string name() const override { return "npcs"; }
    std::string usage() const override { return "npcs WORKSPACE"; }
    std::string summary() const override
    {
        return "list every NPC shop: shop file, TAB, NPC name; a shop file that cannot be read is named "
               "with its reason on stderr after the list (exit 4)";
    }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        if (args.size() != 1)
            return usageError(*this, io);
        const workspace::Workspace ws(io::pathFromUtf8(args[0]));
        auto state = workspace::loadWorkspace(ws);
        if (!state)
            return workspaceFailed(state.error(), io);
        workspace::buildNpcList(*state, [&](const workspace::NpcEntry& entry) {
            io.out << io::displayPath(entry.shopFile.filename()) << '\t' << entry.npcName << '\n';
        });
        if (state->unreadableShops.empty())
            return kOk;
        io.out.flush();
        io.err << forTerminal(workspace::unreadableShopsMessage(*state)) << "\n";
        return kUnreadableShop;
    }
};

class MakeWorkspaceCommand : public Command
{
public:
    std::string name() const override { return "make-workspace"; }
    std::string usage() const override
    {
        return "make-workspace DIR [--shops N] [--npcs M] [--seed S] [--unknown-items PERCENT]";
    }
    std::string summary() const override { return "write a synthetic sample workspace"; }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        if (args.empty())
            return usageError(*this, io);
        generator::GeneratorOptions options;
        for (std::size_t i = 1; i < args.size(); i += 2) {
            if (i + 1 >= args.size())
                return usageError(*this, io);
            long long value = 0;
            try {
                std::size_t used = 0;
                value = std::stoll(args[i + 1], &used);
                if (used != args[i + 1].size() || value < 0)
                    return usageError(*this, io);
            } catch (const std::exception&) {
                return usageError(*this, io);
            }
            if (args[i] == "--shops")
                options.shops = static_cast<int>(value);
            else if (args[i] == "--npcs")
                options.npcs = static_cast<int>(value);
            else if (args[i] == "--seed")
                options.seed = static_cast<std::uint64_t>(value);
            else if (args[i] == "--unknown-items" && value <= 100)
                options.unknownItems = static_cast<int>(value);
            else
                return usageError(*this, io);
        }
        if (auto ok = generator::generateWorkspace(io::pathFromUtf8(args[0]), options); !ok) {
            io.err << ok.error().message << "\n";
            return kSaveFailed;
        }
        return kOk;
    }
};

class ShowCommand : public Command
{
public:
    std::string name() const override { return "show"; }
    std::string usage() const override { return "show WORKSPACE SHOP"; }
    std::string summary() const override
    {
        return "print one shop as JSON, with the \"revision\" of the shop file as read";
    }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        if (args.size() != 2)
            return usageError(*this, io);
        const workspace::Workspace ws(io::pathFromUtf8(args[0]));
        if (auto problem = workspace::workspaceProblem(ws))
            return workspaceFailed(*problem, io);
        auto document = openShop(ws, args[1]);
        if (!document) {
            io.err << forTerminal(document.error().message) << "\n";
            return kUnreadableShop;
        }
        io.out << shopToJson(*document).dump() << "\n";
        return kOk;
    }
};

// What a save would change, as save --dry-run prints it.
void printChange(const shop::ShopChange& change, bool asJson, std::ostream& out)
{
    if (asJson) {
        json cells = json::array(), names = json::array(), lines = json::array();
        for (const auto& cell : change.cells)
            cells.push_back({{"page", cell.at.page + 1},
                             {"row", cell.at.row + 1},
                             {"column", cell.at.column + 1},
                             {"old", cell.before},
                             {"new", cell.after},
                             {"fill", cell.fill}});
        for (const auto& name : change.names)
            names.push_back({{"page", name.page + 1}, {"old", name.before}, {"new", name.after}});
        for (const auto& line : change.tableLines)
            lines.push_back({{"line", line.line + 1}, {"old", line.before}, {"new", line.after}});
        json value = {{"cells", cells}, {"names", names}, {"repairable", nullptr}, {"table", lines}};
        if (change.repairable)
            value["repairable"] = {{"old", change.repairable->first}, {"new", change.repairable->second}};
        out << value.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
        return;
    }
    for (const auto& cell : change.cells) {
        out << cell.at.page + 1 << ':' << cell.at.row + 1 << ':' << cell.at.column + 1 << '\t' << cell.before
            << '\t' << cell.after << (cell.fill ? "\tfill" : "") << '\n';
    }
    for (const auto& name : change.names)
        out << "name\t" << name.page + 1 << '\t' << name.before << '\t' << name.after << '\n';
    if (change.repairable)
        out << "repair\t" << (change.repairable->first ? "true" : "false") << '\t'
            << (change.repairable->second ? "true" : "false") << '\n';
    for (const auto& line : change.tableLines)
        out << "table\t" << line.line + 1 << '\t' << line.before << '\t' << line.after << '\n';
}

class SaveCommand : public Command
{
public:
    std::string name() const override { return "save"; }
    std::string usage() const override
    {
        return "save WORKSPACE SHOP [--force] [--dry-run [--json]] < shop.json";
    }
    std::string summary() const override
    {
        return "set a shop's pages, names and repair flag from JSON and save it; with the \"revision\" that "
               "show printed, a shop file changed since then is not overwritten (exit 7); --force overwrites "
               "a shop file another program changed meanwhile (otherwise exit 7); --dry-run writes nothing "
               "and prints "
               "what the save would change: PAGE:ROW:COLUMN, OLD, NEW (and \"fill\" for an empty slot "
               "written as "
               "-1), \"name\" PAGE OLD NEW, \"repair\" OLD NEW, \"table\" LINE OLD NEW, TAB-separated";
    }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        std::vector<std::string> positional;
        shop::SaveOptions options;
        bool dryRun = false;
        bool asJson = false;
        for (const auto& arg : args) {
            if (arg == "--force")
                options.overwriteChanged = true;
            else if (arg == "--dry-run")
                dryRun = true;
            else if (arg == "--json")
                asJson = true;
            else if (arg.starts_with("--"))
                return usageError(*this, io);
            else
                positional.push_back(arg);
        }
        if (positional.size() != 2)
            return usageError(*this, io);
        auto edit = shopEditFromJson(readAll(io.in));
        if (!edit) {
            io.err << forTerminal(edit.error().message) << "\n";
            return kBadInput;
        }
        const workspace::Workspace ws(io::pathFromUtf8(positional[0]));
        if (auto problem = workspace::workspaceProblem(ws))
            return workspaceFailed(*problem, io);
        auto document = openShop(ws, positional[1]);
        if (!document) {
            io.err << forTerminal(document.error().message) << "\n";
            return kUnreadableShop;
        }
        // Bad input is told as such whatever the disk holds: before the revision and the lock.
        const auto asRead = *document;
        applyShopEdit(*edit, *document);
        if (auto ok = shop::ShopWriter::checkInput(*document); !ok) {
            io.err << "保存失败！" << forTerminal(ok.error().message) << "\n";
            return exitCodeFor(ok.error());
        }
        // The JSON was made from the shop as show printed it: a file changed since is not overwritten.
        if (edit->revision && !options.overwriteChanged &&
            *edit->revision != revisionOf(document->source().fingerprint)) {
            io.err << "保存失败！商店文件在 show 之后已被修改（revision " << *edit->revision << "，现在是 "
                   << revisionOf(document->source().fingerprint) << "）："
                   << io::displayPath(document->path()) << "\n要覆盖它，请加上 --force 再保存。\n";
            return kChangedOnDisk;
        }
        if (dryRun) {
            shop::ShopWriter shopWriter;
            const auto change = shopWriter.dryRun(*document, asRead, ws.shopStringTablePath(), options);
            if (!change) {
                io.err << "保存失败！" << forTerminal(change.error().message) << "\n";
                return exitCodeFor(change.error());
            }
            printChange(*change, asJson, io.out);
            return kOk;
        }
        io::AtomicFileWriter writer;
        shop::ShopWriter shopWriter;
        history::History history(ws.root(), "shopkeeper-cli save");
        options.history = &history;
        const auto ok = shopWriter.save(*document, ws.shopStringTablePath(), writer, options);
        for (const auto& note : history.notes())
            io.err << forTerminal(note) << "\n";
        if (!ok) {
            if (ok.error().kind == shop::SaveError::Kind::ChangedOnDisk)
                io.err << "保存失败！商店文件在读取之后已被其他程序修改："
                       << io::displayPath(document->path()) << "\n要覆盖它，请加上 --force 再保存。\n";
            else
                io.err << "保存失败！" << forTerminal(ok.error().message) << "\n";
            return exitCodeFor(ok.error());
        }
        return kOk;
    }
};

class BlockCommand : public Command
{
public:
    std::string name() const override { return "block"; }
    std::string usage() const override { return "block read|write < input"; }
    std::string summary() const override
    {
        return "read: sell-item text -> {\"pages\": ...}; write: that JSON -> sell-item text";
    }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        if (args.size() != 1 || (args[0] != "read" && args[0] != "write"))
            return usageError(*this, io);
        const std::string input = readAll(io.in);
        if (args[0] == "read") {
            auto items = shop::SellItemBlock::read(input);
            if (!items) {
                io.err << forTerminal(items.error().message) << "\n";
                return kBadInput;
            }
            io.out << pagesToJson(shop::SellItemBlock::toPages(*items)).dump() << "\n";
            return kOk;
        }
        auto pages = pagesFromJson(input);
        if (!pages) {
            io.err << pages.error().message << "\n";
            return kBadInput;
        }
        io.out << shop::SellItemBlock::serialise(*pages);
        return kOk;
    }
};

} // namespace

int workspaceFailed(const workspace::LoadError& error, Streams io)
{
    io.err << forTerminal(error.message) << "\n";
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

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<NpcsCommand>());
    commands.push_back(std::make_unique<ShowCommand>());
    commands.push_back(std::make_unique<SaveCommand>());
    commands.push_back(std::make_unique<BlockCommand>());
    commands.push_back(std::make_unique<MakeWorkspaceCommand>());
    addCatalogueCommands(commands);
    addToolCommands(commands);
    addHistoryCommands(commands);
    return commands;
}

} // namespace shopkeeper::cli
