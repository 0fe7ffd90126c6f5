// The history of saves: written outside the workspace before any file is replaced, restorable,
// bounded, and the journal that makes a save or a replace all or nothing when it is killed.
#include "core/history/History.h"

#include "DocumentEdits.h"
#include "TestFiles.h"
#include "TestProcesses.h"
#include "core/history/EntryChange.h"
#include "core/io/AtomicFile.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/tools/ItemReplace.h"
#include "core/workspace/Workspace.h"
#include "tools/ToolsWorkspace.h"

#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <thread>

using namespace shopkeeper;
namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

namespace {

// n NPC shops, each opened by an NPC of its own, each selling item 7 on its first page.
void writeShops(const fs::path& root, int n)
{
    std::string index;
    for (int i = 1; i <= n; ++i) {
        const auto number = std::to_string(i);
        index += number + "\ts" + number + ".shp\r\n";
        writeFile(root / ("itemshop/s" + number + ".shp"),
                  test::shopText("etc shop", "[tab name]\r\n\t<5::tab_name_1`x`>\r\n[/tab name]\r\n",
                                 "7\t100\t" + std::to_string(1000 + i) + "\t"));
        writeFile(root / ("npc/n" + number + ".npc"),
                  "[name]\r\n<8::name_1`Baker`>\r\n`[item shop]`\r\n" + number + "\t\r\n");
    }
    writeFile(root / "itemshop/itemshop.lst", index);
    writeFile(root / "itemshop/itemshop.kor.str", "tab_name_1>Food\r\n");
    writeFile(root / "npc/npc.kor.str", "name_1>Baker\r\n");
}

std::map<fs::path, std::string> snapshot(const fs::path& folder)
{
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path()] = readFile(entry.path());
    return files;
}

shop::SaveResult<void> renameAndSave(const workspace::Workspace& ws, const fs::path& shopFile,
                                     const std::string& name, const std::string& cell,
                                     history::History& history)
{
    auto document = shop::ShopReader::open(shopFile, ws.shopStringTablePath());
    if (!document)
        return std::unexpected(shop::SaveError{shop::SaveError::Kind::ShopUnreadable, "unreadable"});
    test::setName(*document, 0, name);
    (void)document->setCell(static_cast<int>(0), {0, 0}, cell);
    io::AtomicFileWriter disk;
    shop::ShopWriter writer;
    shop::SaveOptions options;
    options.history = &history;
    return writer.save(*document, ws.shopStringTablePath(), disk, options);
}

} // namespace

TEST(History, EverySaveIsKeptOutsideTheWorkspaceRestorableAndBounded)
{
    test::TempDir dir, store;
    writeShops(dir.path(), 3);
    const workspace::Workspace ws(dir.path());
    const auto before = snapshot(dir.path());
    history::History history(dir.path(), "test", store.path(), 3);

    // A save of shop and table: one entry of both files; nothing new inside the workspace.
    ASSERT_TRUE(renameAndSave(ws, dir / "itemshop/s1.shp", "Drinks", "8", history));
    auto entries = history.list();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].files.size(), 2u);
    EXPECT_EQ(entries[0].program, "test");
    auto after = snapshot(dir.path());
    EXPECT_EQ(after.size(), before.size());
    EXPECT_NE(after[dir / "itemshop/s1.shp"], before.at(dir / "itemshop/s1.shp"));

    // A save that changes nothing records nothing.
    ASSERT_TRUE(renameAndSave(ws, dir / "itemshop/s1.shp", "Drinks", "8", history));
    EXPECT_EQ(history.list().size(), 1u);

    // A replace over every shop is one entry.
    io::AtomicFileWriter disk;
    auto plan = tools::ItemReplace::plan(ws, "100", "9");
    ASSERT_TRUE(plan);
    tools::ReplaceOptions replaceOptions;
    replaceOptions.history = &history;
    EXPECT_EQ(tools::ItemReplace::apply(*plan, ws.shopStringTablePath(), disk, replaceOptions).kind,
              tools::ReplaceOutcome::Kind::Written);
    entries = history.list();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].files.size(), 3u);

    // Restoring the save is refused while s1 is no longer as the save left it, unless forced.
    const auto saveId = entries[1].id;
    auto restored = history.restore(saveId, false);
    ASSERT_FALSE(restored);
    EXPECT_EQ(restored.error().kind, history::RestoreError::Kind::ChangedSince);
    EXPECT_EQ(history.restore("no-such-entry", false).error().kind, history::RestoreError::Kind::NoSuchEntry);
    // Restoring the replace first, then the save, gives the workspace as it was.
    ASSERT_TRUE(history.restore(entries[0].id, false));
    ASSERT_TRUE(history.restore(saveId, false));
    EXPECT_EQ(snapshot(dir.path()), before);

    // The restores are entries of their own, and the oldest beyond the limit went.
    entries = history.list();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_NE(entries[0].summary.find(saveId), std::string::npos);
    EXPECT_FALSE(history.find(saveId));

    // No history, no save: a store that cannot be written stops the save before any file changes.
    test::TempDir blocked;
    writeFile(blocked / "Shopkeeper", "a file where the store's folder would be");
    history::History unwritable(dir.path(), "test", blocked / "Shopkeeper" / "history");
    const auto refused = renameAndSave(ws, dir / "itemshop/s2.shp", "Tools", "8", unwritable);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().kind, shop::SaveError::Kind::WriteFailed);
    EXPECT_EQ(snapshot(dir.path()), before);
}

// kill -9 anywhere in a save that renames a page, or in a replace over 300 shops: after the next
// holder of the lock, every file of the operation is old, or every one is new.
TEST(History, AKilledSaveOrReplaceIsWhollyOldOrWhollyNewAfterTheNextLock)
{
    test::TempDir dir, store;
    writeShops(dir.path(), 300);
    const workspace::Workspace ws(dir.path());
    const auto tablePath = ws.shopStringTablePath();
    std::mt19937 random(20261210);
    int rolledBack = 0;

    // Each kind runs once whole, to learn how long it takes; the kills fall anywhere in that time.
    std::chrono::microseconds took[2]{};
    for (int round = -2; round < 16; ++round) {
        const bool replace = (round + 2) % 2 == 1;
        const auto old = snapshot(dir / "itemshop");
        // Back and forth: 7 → 70, then 70 → 7, whichever the last replace left.
        const bool forward = old.at(dir / "itemshop/s1.shp").find("\n7\t") != std::string::npos;
        const std::string from = forward ? "7" : "70";
        const std::string to = forward ? "70" : "7";
        const auto holding = std::count_if(old.begin(), old.end(), [&](const auto& file) {
            return file.first.extension() == ".shp" &&
                   file.second.find("\n" + from + "\t") != std::string::npos;
        });
        const auto started = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            history::History history(dir.path(), "child", store.path());
            if (replace) {
                io::AtomicFileWriter disk;
                auto plan = tools::ItemReplace::plan(ws, from, to);
                tools::ReplaceOptions options;
                options.history = &history;
                ::_exit(plan && tools::ItemReplace::apply(*plan, tablePath, disk, options).kind ==
                                    tools::ReplaceOutcome::Kind::Written
                            ? 0
                            : 1);
            }
            ::_exit(renameAndSave(ws, dir / "itemshop/s5.shp", "Page " + std::to_string(round + 2),
                                  std::to_string(round + 102), history)
                        ? 0
                        : 1);
        }
        ASSERT_GT(child, 0);
        if (round >= 0) {
            const auto whole = took[replace ? 1 : 0].count();
            std::this_thread::sleep_for(std::chrono::microseconds(random() % (whole + whole / 5 + 1)));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (round < 0) {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            took[replace ? 1 : 0] = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - started);
        }

        history::History history(dir.path(), "test", store.path());
        ASSERT_TRUE(shop::ShopWriter::lockForSave(tablePath, std::chrono::seconds(5), &history));
        rolledBack += static_cast<int>(history.notes().size());
        const auto now = snapshot(dir / "itemshop");
        ASSERT_EQ(now.size(), old.size()) << "round " << round << ": a file came or went";
        int changed = 0;
        std::string which;
        for (const auto& [path, bytes] : now)
            if (bytes != old.at(path)) {
                ++changed;
                which += " " + path.filename().string();
            }
        for (const auto& note : history.notes())
            which += "\n" + note;
        if (!replace) {
            // The shop and the page-name table move together.
            EXPECT_TRUE(changed == 0 || changed == 2)
                << "round " << round << ": " << changed << " files changed:" << which;
        } else {
            EXPECT_TRUE(changed == 0 || changed == holding)
                << "round " << round << ": " << changed << " shops changed:" << which.substr(0, 300);
        }
    }
    std::cout << rolledBack << " of 16 killed operations were rolled back\n";
}

// What an entry changed, in cells, page names and table lines: the bytes after an entry are the
// next entry's before, or the file now; a replace over several shops is one entry of all of them;
// a file another program changed after the last entry leaves that entry's change untold.
TEST(History, AnEntryTellsItsChangeInPagesRowsAndColumns)
{
    test::TempDir dir, store;
    writeShops(dir.path(), 3);
    const workspace::Workspace ws(dir.path());
    history::History history(dir.path(), "test", store.path());
    ASSERT_TRUE(renameAndSave(ws, dir / "itemshop/s1.shp", "Food", "8", history));
    ASSERT_TRUE(renameAndSave(ws, dir / "itemshop/s1.shp", "Drinks", "9", history));
    auto plan = tools::ItemReplace::plan(ws, "100", "200");
    ASSERT_TRUE(plan);
    io::AtomicFileWriter disk;
    tools::ReplaceOptions options;
    options.history = &history;
    ASSERT_EQ(tools::ItemReplace::apply(*plan, ws.shopStringTablePath(), disk, options).kind,
              tools::ReplaceOutcome::Kind::Written);

    const auto entries = history.list();
    ASSERT_EQ(entries.size(), 3u);
    // The cells other than the empty slots of the row that the first write fills with -1.
    const auto cells = [](const history::ShopInEntry& shop) {
        std::string out;
        for (const auto& cell : shop.change.cells)
            if (!cell.fill)
                out += std::to_string(cell.at.page + 1) + ":" + std::to_string(cell.at.row + 1) + ":" +
                       std::to_string(cell.at.column + 1) + " " + cell.before + ">" + cell.after + ";";
        return out;
    };
    // The replace: every shop, one cell each.
    const auto replaced = history::changeOf(entries, 0, ws.shopStringTablePath());
    ASSERT_EQ(replaced.shops.size(), 3u);
    for (const auto& shop : replaced.shops)
        EXPECT_EQ(cells(shop), "1:1:2 100>200;") << shop.path;
    EXPECT_TRUE(replaced.tableLines.empty());
    // The first save of s1: its cell and nothing of its name (the table said Food already); the
    // second: the cell from what the first wrote, the name, and the table's line.
    const auto first = history::changeOf(entries, 2, ws.shopStringTablePath());
    ASSERT_EQ(first.shops.size(), 1u);
    EXPECT_EQ(cells(first.shops[0]), "1:1:1 7>8;");
    EXPECT_EQ(first.shops[0].change.cells.size(), 1u + 4u);
    EXPECT_TRUE(first.shops[0].change.names.empty());
    const auto second = history::changeOf(entries, 1, ws.shopStringTablePath());
    ASSERT_EQ(second.shops.size(), 1u);
    EXPECT_EQ(cells(second.shops[0]), "1:1:1 8>9;");
    ASSERT_EQ(second.shops[0].change.names.size(), 1u);
    EXPECT_EQ(second.shops[0].change.names[0].before, "Food");
    EXPECT_EQ(second.shops[0].change.names[0].after, "Drinks");
    ASSERT_EQ(second.tableLines.size(), 1u);
    EXPECT_EQ(second.tableLines[0].after, "tab_name_1>Drinks");

    // Another program changes s2 after the replace: the replace's change of s2 is no longer known.
    writeFile(dir / "itemshop/s2.shp", "changed");
    const auto told = history::changeOf(entries, 0, ws.shopStringTablePath());
    EXPECT_TRUE(told.shops[0].problem.empty());
    EXPECT_NE(told.shops[1].problem.find("s2.shp"), std::string::npos);
    EXPECT_TRUE(told.shops[1].change.empty());
}
