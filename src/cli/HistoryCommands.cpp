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

class HistoryCommand : public Command
{
public:
    std::string name() const override { return "history"; }
    std::string usage() const override { return "history WORKSPACE [SHOP]"; }
    std::string summary() const override
    {
        return "list the saves kept of the workspace, newest first (of one shop with SHOP): ID, TIME, SHOPS, "
               "SUMMARY, TAB-separated";
    }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        if (args.empty() || args.size() > 2 || args[0].starts_with("--"))
            return usageError(io);
        const workspace::Workspace ws(io::pathFromUtf8(args[0]));
        if (auto problem = workspace::workspaceProblem(ws))
            return workspaceFailed(*problem, io);
        const history::History history(ws.root(), "shopkeeper-cli");
        const auto shop = args.size() == 2 ? text::asciiLowered(args[1]) : std::string();
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

private:
    int usageError(Streams io)
    {
        io.err << "usage: shopkeeper-cli " << usage() << "\n";
        return kUsage;
    }
};

class RestoreCommand : public Command
{
public:
    std::string name() const override { return "restore"; }
    std::string usage() const override { return "restore WORKSPACE ENTRY [--force]"; }
    std::string summary() const override
    {
        return "put the files of a history entry back as they were before it, under the save lock, as an "
               "entry "
               "of its own (printed as history prints it); exit 6 for no such entry, 7 when a file changed "
               "since "
               "the entry (--force restores all the same), 5 when it fails";
    }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        std::vector<std::string> positional;
        bool force = false;
        for (const auto& arg : args) {
            if (arg == "--force")
                force = true;
            else if (arg.starts_with("--"))
                return usageError(io);
            else
                positional.push_back(arg);
        }
        if (positional.size() != 2)
            return usageError(io);
        const workspace::Workspace ws(io::pathFromUtf8(positional[0]));
        if (auto problem = workspace::workspaceProblem(ws))
            return workspaceFailed(*problem, io);
        history::History history(ws.root(), "shopkeeper-cli restore");
        if (!history.find(positional[1])) {
            io.err << "没有这条历史记录：" << positional[1] << "\n";
            return kBadInput;
        }
        auto lock = shop::ShopWriter::lockForSave(ws.shopStringTablePath(), std::chrono::milliseconds(5000),
                                                  &history);
        for (const auto& note : history.notes())
            io.err << note << "\n";
        if (!lock) {
            io.err << "恢复失败！" << lock.error().message << "\n";
            return kSaveFailed;
        }
        auto restored = history.restore(positional[1], force);
        if (!restored) {
            io.err << "恢复失败！" << restored.error().message << "\n";
            switch (restored.error().kind) {
            case history::RestoreError::Kind::NoSuchEntry:
                return kBadInput;
            case history::RestoreError::Kind::ChangedSince:
                return kChangedOnDisk;
            case history::RestoreError::Kind::Failed:
                return kSaveFailed;
            }
        }
        if (restored->recorded())
            printEntry(*restored, io.out);
        return kOk;
    }

private:
    int usageError(Streams io)
    {
        io.err << "usage: shopkeeper-cli " << usage() << "\n";
        return kUsage;
    }
};

} // namespace

void addHistoryCommands(std::vector<std::unique_ptr<Command>>& commands)
{
    commands.push_back(std::make_unique<HistoryCommand>());
    commands.push_back(std::make_unique<RestoreCommand>());
}

} // namespace shopkeeper::cli
