#include "core/shop/ShopWriter.h"

#include "core/io/AtomicFile.h"
#include "core/io/FileLock.h"
#include "core/io/FileSystem.h"
#include "core/shop/CellRule.h"
#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopReader.h"
#include "core/shop/TrimBlock.h"
#include "core/text/ScriptText.h"
#include "core/text/StringTableCodec.h"

#include <unordered_set>

namespace shopkeeper::shop {

namespace {

constexpr int kMaxKeyDraws = 10000;

std::unexpected<SaveError> saveError(SaveError::Kind kind, std::string message)
{
    return std::unexpected(SaveError{kind, std::move(message)});
}

std::string tabLine(const std::string& key)
{
    return "<5::" + key + "`商店`>\r\n";
}

// Puts block in as lines of its own just before the line that holds the first tag of a tab or
// sell block. Ahead of any stray or unclosed tab tag, the next read finds exactly this block.
std::string insertTabBlock(std::string text, const std::string& block)
{
    long long first = -1;
    for (const char* tag : {"[tab name]", "[/tab name]", "[sell item]"}) {
        const long long at = text::findText(text, tag);
        if (at > 0 && (first < 0 || at < first))
            first = at;
    }
    if (first < 0)
        return text + "\r\n" + block;
    const auto tagIndex = static_cast<std::size_t>(first - 1);
    const auto lineBreak = tagIndex == 0 ? std::string::npos : text.rfind("\r\n", tagIndex - 1);
    const std::size_t lineStart = lineBreak == std::string::npos ? 0 : lineBreak + 2;
    text.insert(lineStart, block + "\r\n");
    return text;
}

std::string where(std::size_t page, int row, int column)
{
    return "第" + std::to_string(page + 1) + "页第" + std::to_string(row + 1) + "行第" +
           std::to_string(column + 1) + "列";
}

// A written cell is "-1" or a value the cell rule keeps as it is; anything else (text a caller
// put in without the rule) would change the block's meaning.
Status checkCells(const ShopPages& pages)
{
    for (std::size_t k = 0; k < pages.size(); ++k) {
        for (int r = 0; r < pages[k].rowCount(); ++r) {
            for (int c = 0; c < kColumns; ++c) {
                const auto& text = pages[k].cell(r, c);
                if (text.empty() || text == "-1")
                    continue;
                const auto value = cellValue(text);
                if (!value)
                    return fail(where(k, r, c) + "：" + cellRefusalMessage(value.error(), text));
                if (*value != text)
                    return fail(where(k, r, c) + "：" + cellRefusalMessage(CellRefusal::NotANumber, text));
            }
        }
    }
    return {};
}

// The names the save will encode: those of written pages that the user changed. An empty
// page's name is not written, and an unchanged name keeps the bytes it was read with.
SaveResult<void> checkChangedNames(const ShopDocument& document)
{
    for (std::size_t k = 0; k < document.pages().size(); ++k) {
        if (!document.page(static_cast<int>(k)).hasItems() ||
            document.names()[k] == document.source().readNames[k])
            continue;
        if (auto ok = checkPageName(document.names()[k]); !ok)
            return saveError(SaveError::Kind::BadPageName, ok.error().message);
        if (auto encoded = text::StringTableCodec::encode(document.names()[k]); !encoded)
            return saveError(SaveError::Kind::CannotEncode,
                             "页名称“" + document.names()[k] + "”中的" + encoded.error().message);
    }
    return {};
}

struct WrittenPage
{
    std::vector<ShopPage::Row> rows;
    std::string name;
    bool operator==(const WrittenPage&) const = default;
};

} // namespace

ShopWriter::ShopWriter(std::mt19937* random) : random_(random) {}

std::filesystem::path ShopWriter::lockFileFor(const std::filesystem::path& tablePath)
{
    // The folder the table is really written in, so that links to one table share one lock.
    const auto table = io::resolveLinks(tablePath).value_or(tablePath);
    return table.parent_path().empty() ? std::filesystem::path(".") : table.parent_path();
}

Result<io::FileLock> ShopWriter::lockForSave(const std::filesystem::path& tablePath,
                                             std::chrono::milliseconds wait, history::History* history)
{
    const auto folder = lockFileFor(tablePath);
    auto lock = io::FileLock::acquire(folder, wait);
    if (!lock)
        return lock;
    // Such files would be packed into the game with the folder.
    io::removeStaleTemporaryFiles(folder, true);
    if (const auto stale = io::pathFromUtf8(io::displayPath(tablePath) + ".lock");
        io::isEmptyRegularFile(stale)) {
        std::error_code ignored;
        std::filesystem::remove(stale, ignored);
    }
    if (history)
        history->recover();
    return lock;
}

Result<std::string> ShopWriter::newKey(const text::StringTable& table)
{
    std::mt19937& engine = random_ ? *random_ : ownRandom_;
    std::uniform_int_distribution<int> draw(100, 99999);
    for (int i = 0; i < kMaxKeyDraws; ++i) {
        auto key = "tab_name_" + std::to_string(draw(engine));
        if (!table.containsText(key))
            return key;
    }
    return fail("字符串表中已找不到可用的新页名称键，无法保存。");
}

SaveResult<void> ShopWriter::checkInput(const ShopDocument& document)
{
    if (auto ok = checkCells(document.pages()); !ok)
        return saveError(SaveError::Kind::BadCell, ok.error().message);
    return checkChangedNames(document);
}

SaveResult<SavePlan> ShopWriter::plan(const ShopDocument& document, const text::StringTable& onDisk,
                                      PlanUse use)
{
    using Kind = SaveError::Kind;
    if (!document.isBound())
        return saveError(Kind::NotBound, "没有打开商店文件，无法保存。");
    // New keys are drawn from what the plan is made of, so that a dry run and the save after it
    // (another process, even) pick the same ones; against a table another save has changed
    // meanwhile the draws differ, and a key the table holds is never picked anyway.
    if (!random_) {
        std::string seed = io::displayPath(document.path()) + '\n' + std::to_string(onDisk.lineCount());
        for (const auto& caption : document.names())
            seed += '\n' + caption;
        const auto hash = io::fnv1a64(seed);
        ownRandom_.seed(static_cast<std::mt19937::result_type>(hash ^ (hash >> 32)));
    }
    const std::string& text = document.source().file.text;
    const auto sell = findSection(text, "[sell item]", "[/sell item]");
    const auto tab = findSection(text, "[tab name]", "[/tab name]");
    if (!sell)
        return saveError(Kind::WouldChangeMeaning, kMissingSellBlockMessage);
    if (tab && tab->begin < sell->end && sell->begin < tab->end)
        return saveError(Kind::WouldChangeMeaning, kOverlappingBlocksMessage);

    SavePlan plan;
    plan.pages = document.pages();
    if (auto ok = checkCells(plan.pages); !ok)
        return saveError(Kind::BadCell, ok.error().message);
    const std::string body = SellItemBlock::serialise(plan.pages);

    std::vector<std::size_t> written;
    for (std::size_t k = 0; k < plan.pages.size(); ++k) {
        if (plan.pages[k].rowCount() > 0)
            written.push_back(k);
    }
    auto renamed = [&](std::size_t k) { return document.names()[k] != document.source().readNames[k]; };
    if (auto ok = checkChangedNames(document); !ok)
        return std::unexpected(ok.error());

    plan.table = onDisk;
    text::StringTable& table = plan.table;
    std::unordered_set<std::string> usedKeys;
    std::vector<WrittenPage> expected;
    std::string lines;
    for (const auto k : written) {
        const std::string& caption = document.names()[k];
        const auto& key = document.source().pageKeys[k];
        WrittenPage page{plan.pages[k].rows(), caption};
        // A key that an earlier page of this shop already uses is shared as well: renaming one
        // page must not rename the other.
        if (key && isOwnKey(*key) && usedKeys.insert(text::asciiLowered(*key)).second) {
            const auto current = table.lookup(*key);
            if (renamed(k) || !current)
                table.setLine(*key, caption);
            else
                page.name = *current; // unchanged here: the name on disk now stays
            lines += tabLine(*key);
        } else {
            auto fresh = newKey(table);
            if (!fresh)
                return saveError(Kind::NoFreeKey, fresh.error().message);
            usedKeys.insert(text::asciiLowered(*fresh));
            // The name as on disk now, unless an earlier page of this save changed that line.
            const auto current = key ? onDisk.lookup(*key) : std::nullopt;
            if (!renamed(k) && current && table.lookup(*key) == current &&
                table.appendLineCopyingText(*fresh, *key)) {
                page.name = *current;
            } else {
                // A default name always encodes (the codec's tests hold it to that): the proof of
                // a shop as read, where a page without a name has one, need not convert it.
                if (use == PlanUse::Save || !isDefaultPageName(caption)) {
                    if (auto encoded = text::StringTableCodec::encode(caption); !encoded)
                        return saveError(Kind::CannotEncode,
                                         "页名称“" + caption + "”中的" + encoded.error().message);
                }
                table.appendLine(*fresh + ">" + caption);
            }
            lines += tabLine(*fresh);
        }
        expected.push_back(std::move(page));
    }
    const std::string block = trimBlock("[tab name]\r\n" + lines + "\r\n[/tab name]");
    const std::string sellBlock = "[sell item]\r\n" + body + "\r\n[/sell item]";

    // Splice by position: a search for the old section's text could find an equal text elsewhere.
    // The text is put together in one string of its final size: a shop may be mostly comment.
    const std::string_view whole(text);
    const std::size_t end = document.source().file.tail.size() + 1; // what bytesFor adds
    std::string newText;
    if (tab) {
        const bool sellFirst = sell->begin < tab->begin;
        const auto& a = sellFirst ? *sell : *tab;
        const auto& b = sellFirst ? *tab : *sell;
        newText.reserve(text.size() - (a.end - a.begin) - (b.end - b.begin) + block.size() +
                        sellBlock.size() + end);
        newText.append(whole.substr(0, a.begin))
            .append(sellFirst ? sellBlock : block)
            .append(whole.substr(a.end, b.begin - a.end))
            .append(sellFirst ? block : sellBlock)
            .append(whole.substr(b.end));
    } else {
        newText.reserve(text.size() - (sell->end - sell->begin) + sellBlock.size() + block.size() + 2 + end);
        newText.append(whole.substr(0, sell->begin)).append(sellBlock).append(whole.substr(sell->end));
        newText = insertTabBlock(std::move(newText), block);
    }

    // The kind follows the repair box; only the back-quoted kind tags count, as for the reader,
    // and nothing changes while the flag reads as wanted. An "[item shop]" file keeps its kind.
    const bool wanted = document.isRepairable();
    if (wanted != text::contains(newText, "`[weapon shop]`")) {
        if (wanted)
            newText = text::replaceFirst(std::move(newText), "`[etc shop]`", "`[weapon shop]`");
        else
            newText = text::replaceEach(std::move(newText), {{"`[weapon shop]`", "`[etc shop]`"}});
    }
    const bool repairable = text::contains(newText, "`[weapon shop]`");
    if (repairable != wanted && wanted == document.source().readRepairable)
        return saveError(Kind::WouldChangeMeaning, "保存后“可修理装备”的设置会改变。");

    const bool sameText = newText == text;
    plan.shopBytes = document.source().file.bytesFor(std::move(newText));

    // Read the plan back: every page in its place, each written page with its name, and the flag.
    // A shop just read whose save gives its own text back, against the table it was read with,
    // would read back as the shop itself: the parse is not repeated for it.
    std::optional<ShopDocument> parsed;
    const ShopDocument* back = &document;
    if (use != PlanUse::ProofOnly || !sameText || table.isModified()) {
        // The proof alone keeps no read-back: its parse takes the bytes and gives them back.
        auto read = use == PlanUse::ProofOnly ? ShopReader::parse(std::move(plan.shopBytes), table)
                                              : ShopReader::parse(plan.shopBytes, table);
        if (use == PlanUse::ProofOnly && read) {
            auto& file = read->source().file;
            file.text += file.tail;
            plan.shopBytes = std::move(file.text);
        }
        if (!read)
            return saveError(Kind::WouldChangeMeaning, "保存后的文件无法读回：" + read.error().message);
        parsed = std::move(*read);
        back = &*parsed;
    }
    auto name = expected.begin();
    for (std::size_t k = 0; k < back->pages().size(); ++k) {
        const auto page = std::to_string(k + 1);
        auto read =
            back->page(static_cast<int>(k)); // a page break with no item after it reads as one empty row
        read.removeEmptyRows();
        if (read.rows() != plan.pages[k].rows())
            return saveError(Kind::WouldChangeMeaning, "保存后读回的第" + page + "页物品与编辑的不同。");
        if (plan.pages[k].rowCount() == 0)
            continue;
        if (name != expected.end() && back->names()[k] != name->name)
            return saveError(Kind::WouldChangeMeaning, "保存后读回的第" + page + "页名称“" +
                                                           back->names()[k] + "”与编辑的“" + name->name +
                                                           "”不同。");
        ++name;
    }
    if (back->isRepairable() != repairable)
        return saveError(Kind::WouldChangeMeaning, "保存后“可修理装备”的设置会改变。");

    if (use == PlanUse::Save) {
        auto tableBytes = table.encoded();
        if (!tableBytes)
            return saveError(Kind::CannotEncode, tableBytes.error().message);
        plan.tableBytes = std::move(*tableBytes);
    }
    plan.tableChanged = table.isModified();
    if (parsed && use == PlanUse::Save)
        plan.readBack = std::move(*parsed);
    return plan;
}

SaveResult<ShopWriter::Prepared> ShopWriter::prepare(const ShopDocument& document,
                                                     const std::filesystem::path& tablePath,
                                                     const SaveOptions& options)
{
    using Kind = SaveError::Kind;
    // The table as it is now: other shops may have been saved since this one was opened.
    auto oldTable = io::readFileBytes(tablePath);
    if (!oldTable && !oldTable.error().isMissing())
        return saveError(Kind::TableUnreadable,
                         "无法读取商店的页名称表，保存已取消（否则会丢失其他商店的页名称）：\r\n" +
                             oldTable.error().message);
    // Mostly it is still the table the shop was read with, which then need not be indexed again.
    const auto onDisk = !oldTable ? text::StringTable{}
                        : document.source().table.isReadFrom(*oldTable)
                            ? document.source().table
                            : text::StringTable::fromBytes(*oldTable);

    // The shop file must still be what was read; the history keeps what it is now.
    std::optional<std::string> shopNow;
    if ((!options.overwriteChanged && document.source().fingerprint.known) || options.history) {
        auto now = io::readFileBytes(document.path());
        if (!now && !now.error().isMissing())
            return saveError(Kind::ShopUnreadable,
                             "无法读取商店文件，保存已取消：\r\n" + now.error().message);
        const auto current = now ? io::fingerprintOf(document.path(), *now) : io::missingFileFingerprint();
        if (!options.overwriteChanged && document.source().fingerprint.known &&
            !current.sameContentAs(document.source().fingerprint))
            return saveError(Kind::ChangedOnDisk,
                             std::string(kChangedOnDiskMessage) + "\r\n" + io::displayPath(document.path()));
        if (now)
            shopNow = std::move(*now);
    }

    auto planned = plan(document, onDisk);
    if (!planned)
        return std::unexpected(planned.error());
    return Prepared{oldTable ? std::optional(std::move(*oldTable)) : std::nullopt, std::move(shopNow),
                    std::move(*planned), onDisk};
}

SaveResult<ShopChange> ShopWriter::dryRun(const ShopDocument& document, const ShopDocument& asRead,
                                          const std::filesystem::path& tablePath, const SaveOptions& options)
{
    using Kind = SaveError::Kind;
    if (!document.isBound())
        return saveError(Kind::NotBound, "没有打开商店文件，无法保存。");
    if (auto ok = checkInput(document); !ok)
        return std::unexpected(ok.error());
    auto prepared = prepare(document, tablePath, options);
    if (!prepared)
        return std::unexpected(prepared.error());
    // What a read after the save would give is the plan's read-back, which the save proves.
    auto change = compareShops(asRead, prepared->plan.readBack);
    change.tableLines = compareTables(prepared->onDisk, prepared->plan.table);
    return change;
}

SaveResult<void> ShopWriter::save(ShopDocument& document, const std::filesystem::path& tablePath,
                                  io::FileWriter& writer, const SaveOptions& options)
{
    using Kind = SaveError::Kind;
    if (!document.isBound())
        return saveError(Kind::NotBound, "没有打开商店文件，无法保存。");

    // Bad input is refused before the lock: it waits for no other save and is told as such.
    if (auto ok = checkInput(document); !ok)
        return std::unexpected(ok.error());

    // From the table read to the last write, no other save of this workspace runs.
    auto lock = lockForSave(tablePath, options.lockWait, options.history);
    if (!lock)
        return saveError(Kind::Busy, lock.error().message);

    auto prepared = prepare(document, tablePath, options);
    if (!prepared)
        return std::unexpected(prepared.error());
    auto& oldTable = prepared->oldTable;
    auto& shopNow = prepared->shopNow;
    auto& planned = prepared->plan;

    // The table first: if the shop file then fails, the old table goes back, and a shop file
    // never names page keys that the table lacks.
    const bool writeTable = !oldTable || *oldTable != planned.tableBytes;
    // The history entry is the save's journal: written before the first file is replaced, so a
    // save killed between the table and the shop is rolled back by the next holder of the lock.
    history::Entry entry;
    if (options.history) {
        std::vector<history::FileChange> changes;
        if (writeTable)
            changes.push_back(
                {tablePath, oldTable ? std::optional(*oldTable) : std::nullopt, planned.tableBytes});
        changes.push_back({document.path(), shopNow, planned.shopBytes});
        auto begun = options.history->begin("保存 " + io::displayPath(document.path().filename()), changes);
        if (!begun)
            return saveError(Kind::WriteFailed, begun.error().message);
        entry = std::move(*begun);
    }
    if (writeTable) {
        if (auto ok = writer.write(tablePath, planned.tableBytes); !ok) {
            if (options.history)
                (void)options.history->rollBack(entry);
            return saveError(Kind::WriteFailed, "无法写入字符串表：" + ok.error().message);
        }
    }
    if (auto ok = writer.write(document.path(), planned.shopBytes); !ok) {
        if (writeTable && oldTable)
            (void)writer.write(tablePath, *oldTable);
        if (options.history)
            (void)options.history->rollBack(entry);
        return saveError(Kind::WriteFailed, "无法写入商店文件：" + ok.error().message);
    }
    if (options.history && !options.history->finish(entry)) {
        // The save stands; an entry left unfinished would undo it at the next save.
        std::error_code ignored;
        std::filesystem::remove_all(entry.folder, ignored);
    }

    // The next open reads the table again: what was written need not be indexed anew.
    if (writeTable)
        planned.table.rememberWritten(std::move(planned.tableBytes));

    // The document becomes the shop as written, as a fresh read would give it: the plan's read-back.
    ShopDocument written = std::move(planned.readBack);
    written.source().path = document.path();
    written.source().fingerprint = io::fingerprintOf(document.path(), planned.shopBytes);
    written.source().table = std::move(planned.table);
    document = std::move(written);
    return {};
}

} // namespace shopkeeper::shop
