#include "core/history/EntryChange.h"

#include "core/io/FileSystem.h"
#include "core/shop/ShopReader.h"
#include "core/text/ScriptText.h"

#include <expected>
#include <optional>

namespace shopkeeper::history {

namespace {

// A file's bytes at one point of the history: nothing when it did not exist.
using Bytes = std::expected<std::optional<std::string>, std::string>;

bool samePath(const fs::path& a, const fs::path& b)
{
    return a.lexically_normal() == b.lexically_normal();
}

bool isTable(const fs::path& path)
{
    return text::asciiLowered(io::displayPath(path.filename())) == "itemshop.kor.str";
}

std::optional<std::size_t> fileIn(const Entry& entry, const fs::path& path)
{
    for (std::size_t i = 0; i < entry.files.size(); ++i)
        if (samePath(entry.files[i].path, path))
            return i;
    return std::nullopt;
}

// What path held right after entries[index]: what the nearest newer entry that replaced it kept,
// else the file now.
Bytes bytesAfter(const std::vector<Entry>& entries, std::size_t index, const fs::path& path)
{
    for (std::size_t j = index; j-- > 0;) {
        if (const auto i = fileIn(entries[j], path)) {
            auto before = entries[j].before(*i);
            if (!before)
                return std::unexpected(before.error().message);
            return std::move(*before);
        }
    }
    auto now = io::readFileBytes(path);
    if (!now) {
        if (now.error().isMissing())
            return std::nullopt;
        return std::unexpected(now.error().message);
    }
    return std::optional(std::move(*now));
}

// The bytes of file i of entries[index] after it, which must be what the entry wrote.
Bytes writtenBy(const std::vector<Entry>& entries, std::size_t index, std::size_t i)
{
    const auto& file = entries[index].files[i];
    auto after = bytesAfter(entries, index, file.path);
    if (after && (!*after || (*after)->size() != file.afterSize || io::fnv1a64(**after) != file.afterHash))
        return std::unexpected(io::displayPath(file.path.filename()) +
                               " 在这条记录之后已被其他程序修改，无法显示这次的改动。");
    return after;
}

text::StringTable tableOf(const Bytes& bytes)
{
    return bytes && *bytes ? text::StringTable::fromBytes(**bytes) : text::StringTable();
}

std::expected<shop::ShopDocument, std::string> shopOf(const std::optional<std::string>& bytes,
                                                      const text::StringTable& table)
{
    if (!bytes)
        return shop::ShopDocument{}; // no file: no pages
    auto document = shop::ShopReader::parse(*bytes, table);
    if (!document)
        return std::unexpected(document.error().message);
    return std::move(*document);
}

} // namespace

EntryChange changeOf(const std::vector<Entry>& entries, std::size_t index, const fs::path& tableFile)
{
    EntryChange result;
    // The entries name their files by absolute path.
    std::error_code ec;
    const auto tablePath = fs::absolute(tableFile, ec);
    if (index >= entries.size())
        return result;
    const auto& entry = entries[index];

    // The table the entry's shops were named with, on either side of it.
    const auto table = fileIn(entry, tablePath);
    const auto tableAfterBytes =
        table ? writtenBy(entries, index, *table) : bytesAfter(entries, index, tablePath);
    Bytes tableBeforeBytes = tableAfterBytes;
    if (table) {
        auto before = entry.before(*table);
        tableBeforeBytes = before ? Bytes(std::move(*before)) : std::unexpected(before.error().message);
    }
    const auto tableBefore = tableOf(tableBeforeBytes);
    const auto tableAfter = tableOf(tableAfterBytes);
    if (!tableBeforeBytes || !tableAfterBytes)
        result.tableProblem = !tableBeforeBytes ? tableBeforeBytes.error() : tableAfterBytes.error();
    else if (table)
        result.tableLines = shop::compareTables(tableBefore, tableAfter);

    for (std::size_t i = 0; i < entry.files.size(); ++i) {
        const auto& file = entry.files[i];
        if (isTable(file.path))
            continue;
        ShopInEntry shop{file.path, {}, {}};
        auto before = entry.before(i);
        auto after = writtenBy(entries, index, i);
        if (!before || !after) {
            shop.problem = !before ? before.error().message : after.error();
        } else {
            auto old = shopOf(*before, tableBefore);
            auto now = shopOf(*after, tableAfter);
            if (!old || !now)
                shop.problem = !old ? old.error() : now.error();
            else
                shop.change = shop::compareShops(*old, *now);
        }
        result.shops.push_back(std::move(shop));
    }
    return result;
}

} // namespace shopkeeper::history
