#include "cli/CatalogueCommands.h"
#include "cli/Command.h"
#include "cli/HistoryCommands.h"
#include "cli/ShopJson.h"
#include "cli/ToolCommands.h"
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

std::string readAll(std::istream& in)
{
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

// The workspace checked, then SHOP opened; the exit code, with the reason told, when either fails.
std::expected<shop::ShopDocument, int> openShopOf(const workspace::Workspace& ws, const std::string& shopName,
                                                  Streams io)
{
    if (auto problem = workspace::workspaceProblem(ws))
        return std::unexpected(workspaceFailed(*problem, io));
    auto document = openShop(ws, shopName);
    if (!document) {
        io.err << forTerminal(document.error().message) << "\n";
        return std::unexpected(kUnreadableShop);
    }
    return std::move(*document);
}

int npcs(const Args& args, Streams io)
{
    const workspace::Workspace ws(io::pathFromUtf8(args.positional[0]));
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

// A count for make-workspace: digits as std::stoll reads them, nothing after, not negative.
std::optional<long long> countOf(const std::string& text)
{
    try {
        std::size_t used = 0;
        const long long value = std::stoll(text, &used);
        if (used != text.size() || value < 0)
            return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

int makeWorkspace(const Args& args, Streams io)
{
    generator::GeneratorOptions options;
    for (const auto& [option, text] : args.options) {
        const auto value = countOf(text);
        if (!value)
            return kUsage;
        if (option == "--shops")
            options.shops = static_cast<int>(*value);
        else if (option == "--npcs")
            options.npcs = static_cast<int>(*value);
        else if (option == "--seed")
            options.seed = static_cast<std::uint64_t>(*value);
        else if (option == "--unknown-items" && *value <= 100)
            options.unknownItems = static_cast<int>(*value);
        else
            return kUsage;
    }
    if (auto ok = generator::generateWorkspace(io::pathFromUtf8(args.positional[0]), options); !ok) {
        io.err << ok.error().message << "\n";
        return kSaveFailed;
    }
    return kOk;
}

int show(const Args& args, Streams io)
{
    const workspace::Workspace ws(io::pathFromUtf8(args.positional[0]));
    auto document = openShopOf(ws, args.positional[1], io);
    if (!document)
        return document.error();
    io.out << shopToJson(*document).dump() << "\n";
    return kOk;
}

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
        out << jsonLine(value) << "\n";
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

int save(const Args& args, Streams io)
{
    shop::SaveOptions options;
    options.overwriteChanged = args.has("--force");
    auto edit = shopEditFromJson(readAll(io.in));
    if (!edit) {
        io.err << forTerminal(edit.error().message) << "\n";
        return kBadInput;
    }
    const workspace::Workspace ws(io::pathFromUtf8(args.positional[0]));
    auto document = openShopOf(ws, args.positional[1], io);
    if (!document)
        return document.error();
    // Bad input is told as such whatever the disk holds: before the revision and the lock.
    const auto asRead = *document;
    applyShopEdit(*edit, *document);
    if (auto ok = shop::ShopWriter::checkInput(*document); !ok) {
        io.err << "保存失败！" << forTerminal(ok.error().message) << "\n";
        return exitCodeOf(ok.error());
    }
    // The JSON was made from the shop as show printed it: a file changed since is not overwritten.
    if (edit->revision && !options.overwriteChanged &&
        *edit->revision != revisionOf(document->source().fingerprint)) {
        io.err << "保存失败！商店文件在 show 之后已被修改（revision " << *edit->revision << "，现在是 "
               << revisionOf(document->source().fingerprint) << "）：" << io::displayPath(document->path())
               << "\n要覆盖它，请加上 --force 再保存。\n";
        return kChangedOnDisk;
    }
    if (args.has("--dry-run")) {
        shop::ShopWriter shopWriter;
        const auto change = shopWriter.dryRun(*document, asRead, ws.shopStringTablePath(), options);
        if (!change) {
            io.err << "保存失败！" << forTerminal(change.error().message) << "\n";
            return exitCodeOf(change.error());
        }
        printChange(*change, args.json(), io.out);
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
            io.err << "保存失败！商店文件在读取之后已被其他程序修改：" << io::displayPath(document->path())
                   << "\n要覆盖它，请加上 --force 再保存。\n";
        else
            io.err << "保存失败！" << forTerminal(ok.error().message) << "\n";
        return exitCodeOf(ok.error());
    }
    return kOk;
}

int block(const Args& args, Streams io)
{
    const std::string& way = args.positional[0];
    if (way != "read" && way != "write")
        return kUsage;
    const std::string input = readAll(io.in);
    if (way == "read") {
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

} // namespace

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<Command>(
        "npcs", "npcs WORKSPACE",
        "list every NPC shop: shop file, TAB, NPC name; a shop file that cannot be read is named "
        "with its reason on stderr after the list (exit 4)",
        Syntax{.minPositional = 1, .maxPositional = 1, .otherDashesArePositional = true}, npcs));
    commands.push_back(std::make_unique<Command>(
        "show", "show WORKSPACE SHOP",
        "print one shop as JSON, with the \"revision\" of the shop file as read",
        Syntax{.minPositional = 2, .maxPositional = 2, .otherDashesArePositional = true}, show));
    commands.push_back(std::make_unique<Command>(
        "save", "save WORKSPACE SHOP [--force] [--dry-run [--json]] < shop.json",
        "set a shop's pages, names and repair flag from JSON and save it; with the \"revision\" that "
        "show printed, a shop file changed since then is not overwritten (exit 7); --force overwrites "
        "a shop file another program changed meanwhile (otherwise exit 7); --dry-run writes nothing "
        "and prints "
        "what the save would change: PAGE:ROW:COLUMN, OLD, NEW (and \"fill\" for an empty slot "
        "written as "
        "-1), \"name\" PAGE OLD NEW, \"repair\" OLD NEW, \"table\" LINE OLD NEW, TAB-separated",
        Syntax{.minPositional = 2, .maxPositional = 2, .flags = {"--force", "--dry-run", "--json"}}, save));
    commands.push_back(std::make_unique<Command>(
        "block", "block read|write < input",
        "read: sell-item text -> {\"pages\": ...}; write: that JSON -> sell-item text",
        Syntax{.minPositional = 1, .maxPositional = 1, .otherDashesArePositional = true}, block));
    // DIR comes first, whatever it looks like; options after it only.
    commands.push_back(std::make_unique<Command>(
        "make-workspace", "make-workspace DIR [--shops N] [--npcs M] [--seed S] [--unknown-items PERCENT]",
        "write a synthetic sample workspace",
        Syntax{.minPositional = 1,
               .maxPositional = 1,
               .options = {"--shops", "--npcs", "--seed", "--unknown-items"},
               .leadingPositionals = 1},
        makeWorkspace));
    addCatalogueCommands(commands);
    addToolCommands(commands);
    addHistoryCommands(commands);
    return commands;
}

} // namespace shopkeeper::cli
