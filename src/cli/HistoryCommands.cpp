#include "cli/HistoryCommands.h"

#include "core/history/History.h"
#include "core/io/FileSystem.h"
#include "core/shop/ShopWriter.h"
#include "core/text/ScriptText.h"
#include "core/workspace/Workspace.h"

#include <algorithm>
#include <ostream>
#include <string>

namespace shopkeeper::cli {

namespace {

// The shop files an entry changed, by name; the page-name table only when it is all there is.
std::string shopsOf(const history::Entry& entry)
{
    std::string shops;
    std::string table;
    for (const auto& file : entry.files) {
        const auto name = io::displayPath(file.path.filename());
        if (text::asciiLowered(name) == "itemshop.kor.str") {
            table = name;
            continue;
        }
        shops += (shops.empty() ? "" : ",") + name;
    }
    return shops.empty() ? table : shops;
}

// ID, TAB, time, TAB, shops, TAB, summary.
void printEntry(const history::Entry& entry, std::ostream& out)
{
    out << entry.id << '\t' << entry.time << '\t' << shopsOf(entry) << '\t' << entry.summary << '\n';
}

int listHistory(const Args& args, Streams io)
{
    // SHOP may be any name, but the workspace is never an option.
    if (args.positional[0].starts_with("--"))
        return kUsage;
    const workspace::Workspace ws(io::pathFromUtf8(args.positional[0]));
    if (auto problem = workspace::workspaceProblem(ws))
        return workspaceFailed(*problem, io);
    const history::History history(ws.root(), "shopkeeper-cli");
    const auto shop = args.positional.size() == 2 ? text::asciiLowered(args.positional[1]) : std::string();
    for (const auto& entry : history.list()) {
        const bool touches =
            shop.empty() || std::ranges::any_of(entry.files, [&](const history::EntryFile& f) {
                return text::asciiLowered(io::displayPath(f.path.filename())) == shop;
            });
        if (touches)
            printEntry(entry, io.out);
    }
    return kOk;
}

int restore(const Args& args, Streams io)
{
    const std::string& id = args.positional[1];
    const workspace::Workspace ws(io::pathFromUtf8(args.positional[0]));
    if (auto problem = workspace::workspaceProblem(ws))
        return workspaceFailed(*problem, io);
    history::History history(ws.root(), "shopkeeper-cli restore");
    if (!history.find(id)) {
        io.err << "没有这条历史记录：" << id << "\n";
        return kBadInput;
    }
    auto lock =
        shop::ShopWriter::lockForSave(ws.shopStringTablePath(), std::chrono::milliseconds(5000), &history);
    for (const auto& note : history.notes())
        io.err << note << "\n";
    if (!lock) {
        io.err << "恢复失败！" << lock.error().message << "\n";
        return kSaveFailed;
    }
    auto restored = history.restore(id, args.has("--force"));
    if (!restored) {
        io.err << "恢复失败！" << restored.error().message << "\n";
        return exitCodeOf(restored.error());
    }
    if (restored->recorded())
        printEntry(*restored, io.out);
    return kOk;
}

} // namespace

void addHistoryCommands(std::vector<std::unique_ptr<Command>>& commands)
{
    commands.push_back(std::make_unique<Command>(
        "history", "history WORKSPACE [SHOP]",
        "list the saves kept of the workspace, newest first (of one shop with SHOP): ID, TIME, SHOPS, "
        "SUMMARY, TAB-separated",
        Syntax{.minPositional = 1, .maxPositional = 2, .otherDashesArePositional = true}, listHistory));
    commands.push_back(std::make_unique<Command>(
        "restore", "restore WORKSPACE ENTRY [--force]",
        "put the files of a history entry back as they were before it, under the save lock, as an "
        "entry "
        "of its own (printed as history prints it); exit 6 for no such entry, 7 when a file changed "
        "since "
        "the entry (--force restores all the same), 5 when it fails",
        Syntax{.minPositional = 2, .maxPositional = 2, .flags = {"--force"}}, restore));
}

} // namespace shopkeeper::cli
