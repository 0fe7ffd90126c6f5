#include "cli/ToolCommands.h"

#include "cli/ShopJson.h"
#include "core/io/AtomicFile.h"
#include "core/io/FileSystem.h"
#include "core/tools/ItemId.h"
#include "core/tools/ItemReplace.h"
#include "core/tools/WhereUsed.h"
#include "core/tools/WorkspaceCheck.h"
#include "core/tools/WorkspaceDiff.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

namespace shopkeeper::cli {

namespace {

using json = nlohmann::ordered_json;

// A field of a TAB-separated line: no TAB or line break of its own.
std::string field(std::string_view text)
{
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }))
        return std::string(text);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
    }
    return out;
}

void printUnreadable(const std::vector<tools::UnreadableShop>& shops, Streams io)
{
    for (const auto& shop : shops)
        io.err << "无法读取 " << shop.fileName << "：" << forTerminal(shop.error.message) << "\n";
}

void printUses(const std::vector<tools::ItemUse>& uses, bool asJson, Streams io)
{
    if (asJson) {
        json out = json::array();
        for (const auto& use : uses)
            out.push_back({{"shop", use.fileName},
                           {"npc", use.npcName},
                           {"page", use.cell.page + 1},
                           {"row", use.cell.row + 1},
                           {"column", use.cell.column + 1},
                           {"id", use.id}});
        io.out << jsonLine(out) << "\n";
        return;
    }
    for (const auto& use : uses)
        io.out << field(use.fileName) << '\t' << field(use.npcName) << '\t' << use.cell.page + 1 << '\t'
               << use.cell.row + 1 << '\t' << use.cell.column + 1 << '\t' << use.id << '\n';
}

int whereUsed(const Args& args, Streams io)
{
    std::vector<std::string> ids;
    for (std::size_t i = 1; i < args.positional.size(); ++i) {
        auto id = tools::parseItemId(args.positional[i]);
        if (!id) {
            io.err << tools::notAnItemIdMessage(args.positional[i]) << "\n";
            return kBadInput;
        }
        ids.push_back(std::move(*id));
    }
    const workspace::Workspace ws(io::pathFromUtf8(args.positional[0]));
    const auto result = tools::WhereUsed::find(ws, ids);
    if (!result)
        return workspaceFailed(result.error(), io);
    printUses(result->uses, args.json(), io);
    printUnreadable(result->unreadable, io);
    return result->unreadable.empty() ? kOk : kUnreadableShop;
}

int replace(const Args& args, Streams io)
{
    const auto from = tools::parseItemId(args.positional[1]);
    const auto to = args.positional[2] == "-1" ? std::optional<std::string>("-1")
                                               : tools::parseItemId(args.positional[2]);
    if (!from || !to) {
        io.err << tools::notAnItemIdMessage(args.positional[from ? 2 : 1]) << "\n";
        return kBadInput;
    }
    const workspace::Workspace ws(io::pathFromUtf8(args.positional[0]));
    const auto plan = tools::ItemReplace::plan(ws, *from, *to);
    if (!plan)
        return workspaceFailed(plan.error(), io);
    printUnreadable(plan->unreadable, io);
    for (const auto& refused : plan->refused)
        io.err << "无法替换 " << refused.fileName << "：" << forTerminal(refused.message) << "\n";

    if (args.has("--dry-run")) {
        printUses(plan->changes, false, io);
        if (!plan->unreadable.empty())
            return kUnreadableShop;
        return plan->refused.empty() ? kOk : kSaveFailed;
    }

    io::AtomicFileWriter writer;
    history::History history(ws.root(), "shopkeeper-cli replace");
    tools::ReplaceOptions options;
    options.skipUnreadable = args.has("--skip-unreadable");
    options.history = &history;
    const auto outcome = tools::ItemReplace::apply(*plan, ws.shopStringTablePath(), writer, options);
    for (const auto& note : history.notes())
        io.err << forTerminal(note) << "\n";
    using Kind = tools::ReplaceOutcome::Kind;
    // Only the cells of shops actually written are printed.
    std::vector<tools::ItemUse> written;
    for (const auto& use : plan->changes) {
        if (std::ranges::find(outcome.written, use.shopFile) != outcome.written.end())
            written.push_back(use);
    }
    printUses(written, false, io);
    switch (outcome.kind) {
    case Kind::Written:
        return plan->unreadable.empty() ? kOk : kUnreadableShop;
    case Kind::Unreadable:
        io.err << outcome.message << "（要写入其他商店，请加上 --skip-unreadable）\n";
        return kUnreadableShop;
    case Kind::ChangedOnDisk:
        io.err << "没有写入任何文件：" << forTerminal(outcome.message) << "\n";
        return kChangedOnDisk;
    case Kind::WriteFailed:
        io.err << "替换中途失败！" << forTerminal(outcome.message) << "\n";
        for (const auto& path : outcome.written)
            io.err << "已写入\t" << io::displayPath(path.filename()) << "\n";
        for (const auto& path : outcome.notWritten)
            io.err << "未写入\t" << io::displayPath(path.filename()) << "\n";
        return kSaveFailed;
    case Kind::Refused:
    case Kind::Cancelled:
    case Kind::Busy:
        io.err << forTerminal(outcome.message) << "\n";
        return kSaveFailed;
    }
    return kSaveFailed;
}

int check(const Args& args, Streams io)
{
    const workspace::Workspace ws(io::pathFromUtf8(args.positional[0]));
    const auto catalogue = tools::checkCatalogueFor(ws);
    if (catalogue.note)
        io.err << forTerminal(*catalogue.note) << "\n";
    // Each shop's problems are written as the shops come, never gathered into one list.
    const bool asJson = args.json();
    json out = json::array();
    std::size_t count = 0;
    auto write = [&](const tools::CheckProblem& problem, const std::string& fileName) {
        ++count;
        const auto& cell = problem.cell;
        if (asJson) {
            json entry = {{"kind", tools::checkKindName(problem.kind)}, {"file", fileName}};
            entry["page"] = cell ? json(cell->page + 1) : json(nullptr);
            entry["row"] = cell ? json(cell->row + 1) : json(nullptr);
            entry["column"] = cell ? json(cell->column + 1) : json(nullptr);
            entry["detail"] = forTerminal(problem.detail);
            out.push_back(std::move(entry));
            return;
        }
        // One write a line: fifty thousand problems are no rare workspace.
        std::string line(tools::checkKindName(problem.kind));
        line.append("\t").append(field(fileName)).append("\t");
        if (cell)
            line.append(std::to_string(cell->page + 1))
                .append(":")
                .append(std::to_string(cell->row + 1))
                .append(":")
                .append(std::to_string(cell->column + 1));
        line.append("\t").append(field(problem.detail)).append("\n");
        io.out << line;
    };
    const auto result = tools::WorkspaceCheck::forEachShop(
        ws, catalogue.catalogue,
        [&](const tools::ShopPlace& place, std::vector<tools::CheckProblem>& problems) {
            for (const auto& problem : problems)
                write(problem, place.fileName);
        });
    if (!result)
        return workspaceFailed(result.error(), io);
    for (const auto& problem : tools::WorkspaceCheck::leftoverFiles(ws, result->shopCount))
        write(problem, problem.fileName);
    if (asJson)
        io.out << jsonLine(out) << "\n";
    return count == 0 ? kOk : kProblemsFound;
}

int diff(const Args& args, Streams io)
{
    const workspace::Workspace a(io::pathFromUtf8(args.positional[0]));
    const workspace::Workspace b(io::pathFromUtf8(args.positional[1]));
    const auto result = tools::diffWorkspaces(a, b);
    if (!result)
        return workspaceFailed(result.error(), io);
    const auto flag = [](bool on) { return on ? "true" : "false"; };
    if (args.json()) {
        json shops = json::array();
        for (const auto& shop : result->differing) {
            json cells = json::array(), names = json::array();
            for (const auto& cell : shop.change.cells)
                cells.push_back({{"page", cell.at.page + 1},
                                 {"row", cell.at.row + 1},
                                 {"column", cell.at.column + 1},
                                 {"a", cell.before},
                                 {"b", cell.after}});
            for (const auto& name : shop.change.names)
                names.push_back({{"page", name.page + 1}, {"a", name.before}, {"b", name.after}});
            json value = {
                {"shop", shop.fileName}, {"cells", cells}, {"names", names}, {"repairable", nullptr}};
            if (shop.change.repairable)
                value["repairable"] = {{"a", shop.change.repairable->first},
                                       {"b", shop.change.repairable->second}};
            shops.push_back(std::move(value));
        }
        io.out << jsonLine({{"onlyInA", result->onlyInA}, {"onlyInB", result->onlyInB}, {"differing", shops}})
               << "\n";
    } else {
        for (const auto& shop : result->onlyInA)
            io.out << field(shop) << "\tonly-in-a\n";
        for (const auto& shop : result->onlyInB)
            io.out << field(shop) << "\tonly-in-b\n";
        for (const auto& shop : result->differing) {
            const auto name = field(shop.fileName);
            for (const auto& cell : shop.change.cells)
                io.out << name << '\t' << cell.at.page + 1 << ':' << cell.at.row + 1 << ':'
                       << cell.at.column + 1 << '\t' << field(cell.before) << '\t' << field(cell.after)
                       << '\n';
            for (const auto& page : shop.change.names)
                io.out << name << "\tname:" << page.page + 1 << '\t' << field(page.before) << '\t'
                       << field(page.after) << '\n';
            if (shop.change.repairable)
                io.out << name << "\trepair\t" << flag(shop.change.repairable->first) << '\t'
                       << flag(shop.change.repairable->second) << '\n';
        }
    }
    io.out.flush();
    for (const auto& shop : result->unreadable)
        io.err << "无法读取 " << shop.fileName << "：" << forTerminal(shop.message) << "\n";
    if (!result->unreadable.empty())
        return kUnreadableShop;
    return result->equal() ? kOk : kProblemsFound;
}

} // namespace

void addToolCommands(std::vector<std::unique_ptr<Command>>& commands)
{
    commands.push_back(std::make_unique<Command>(
        "where-used", "where-used WORKSPACE [--json] ID...",
        "every cell of every NPC shop that holds one of the IDs: SHOP, NPC, PAGE, ROW, COLUMN, ID "
        "(TAB-separated); exit 6 for an ID that is no item ID, 4 when a shop cannot be read",
        Syntax{.minPositional = 2, .flags = {"--json"}}, whereUsed));
    commands.push_back(std::make_unique<Command>(
        "replace", "replace WORKSPACE FROM TO [--dry-run] [--skip-unreadable]",
        "put item TO (\"-1\" empties the slot) into every cell of every NPC shop that holds FROM and "
        "print "
        "the changed cells as where-used does; all or nothing unless --skip-unreadable; --dry-run "
        "writes "
        "nothing. Exit 4 when a shop cannot be read, 5 when a write fails, 6 for a bad ID, 7 when a "
        "shop "
        "changed on disk meanwhile",
        Syntax{.minPositional = 3, .maxPositional = 3, .flags = {"--dry-run", "--skip-unreadable"}},
        replace));
    commands.push_back(std::make_unique<Command>(
        "check", "check WORKSPACE [--json]",
        "one line per problem of the NPC shops: KIND, FILE, WHERE (PAGE:ROW:COLUMN), DETAIL "
        "(TAB-separated); "
        "kinds unknown-item, duplicate-item, unreadable-shop, unknown-npc, missing-page-name, "
        "leftover-file; exit 8 "
        "when "
        "there are problems",
        Syntax{.minPositional = 1, .maxPositional = 1, .flags = {"--json"}}, check));
    commands.push_back(std::make_unique<Command>(
        "diff", "diff WORKSPACE_A WORKSPACE_B [--json]",
        "compare the shops of two workspaces, matched by file name: SHOP, then only-in-a or "
        "only-in-b, "
        "or PAGE:ROW:COLUMN A B for a cell, name:PAGE A B, repair A B (TAB-separated); exit 8 when "
        "they "
        "differ, 4 when a shop cannot be read (the others are still compared)",
        Syntax{.minPositional = 2, .maxPositional = 2, .flags = {"--json"}}, diff));
}

} // namespace shopkeeper::cli
