#include "core/tools/ItemReplace.h"

#include "core/io/FileLock.h"
#include "core/shop/SellItemBlock.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"

#include <optional>

namespace shopkeeper::tools {

Result<std::string> ItemReplace::withItemList(const shop::ShopDocument& document, shop::ShopPages pages)
{
    static constexpr std::size_t openLength = std::string_view("[sell item]").size();
    static constexpr std::size_t closeLength = std::string_view("[/sell item]").size();
    const std::string& text = document.source().file.text;
    const auto sell = shop::findSection(text, "[sell item]", "[/sell item]");
    if (!sell)
        return fail(shop::kMissingSellBlockMessage);
    const std::string body = shop::SellItemBlock::serialise(pages);
    // The tags keep their own spelling: only the items between them change. The new text is put
    // together in one string of its final size: a shop may be mostly comment.
    const std::string_view whole(text);
    std::string newText;
    newText.reserve(text.size() - (sell->end - sell->begin) + openLength + body.size() + closeLength + 4 +
                    document.source().file.tail.size() + 1);
    newText.append(whole.substr(0, sell->begin))
        .append(whole.substr(sell->begin, openLength))
        .append("\r\n")
        .append(body)
        .append("\r\n")
        .append(whole.substr(sell->end - closeLength, closeLength))
        .append(whole.substr(sell->end));

    // The read-back takes the bytes and gives them back: no second copy of a large shop.
    auto back =
        shop::ShopReader::parse(document.source().file.bytesFor(std::move(newText)), document.source().table);
    if (!back)
        return fail("替换后的文件无法读回：" + back.error().message);
    auto& file = back->source().file;
    file.text += file.tail;
    std::string bytes = std::move(file.text);
    for (std::size_t k = 0; k < pages.size(); ++k) {
        const bool written = pages[k].hasItems();
        if (written != back->pages()[k].hasItems() || (written && back->pages()[k].rows() != pages[k].rows()))
            return fail("替换后读回的第" + std::to_string(k + 1) + "页物品与替换的结果不同。");
    }
    if (back->names() != document.names())
        return fail("替换后读回的页名称与原来的不同。");
    if (back->isRepairable() != document.isRepairable())
        return fail("替换后“可修理装备”的设置会改变。");
    return bytes;
}

std::expected<ReplacePlan, workspace::LoadError> ItemReplace::plan(const workspace::Workspace& workspace,
                                                                   const std::string& from,
                                                                   const std::string& to,
                                                                   const ToolControl& control)
{
    ReplacePlan plan;
    plan.from = from;
    plan.to = to;
    // Each shop's change is worked out, and read back, as the shop is read.
    struct Planned
    {
        std::optional<shop::ShopReadError> error;
        std::vector<ItemUse> changes;
        io::FileFingerprint fingerprint;
        Result<std::string> bytes;
    };
    auto outcome = WorkspaceScan::run<Planned>(
        workspace,
        [&](ShopRead& read) {
            Planned planned;
            if (!read) {
                planned.error = std::move(read.error());
                return planned;
            }
            if (from == to)
                return planned;
            shop::ShopPages pages = read->pages();
            for (const auto& cell : shop::replaceItem(pages, from, to))
                planned.changes.push_back(itemUseOf(*read, cell));
            if (planned.changes.empty())
                return planned;
            planned.fingerprint = read->source().fingerprint;
            planned.bytes = withItemList(*read, std::move(pages));
            return planned;
        },
        [&](const ShopPlace& place, Planned& planned) {
            if (planned.error) {
                plan.unreadable.push_back(unreadableShop(place, *planned.error));
                return;
            }
            if (planned.changes.empty())
                return;
            appendPlaced(place, planned.changes, plan.changes);
            if (!planned.bytes) {
                plan.refused.push_back(
                    {place.index, place.path, place.fileName, planned.bytes.error().message});
                return;
            }
            plan.shops.push_back({place.index, place.path, place.fileName, place.naming.name,
                                  planned.fingerprint, std::move(*planned.bytes)});
        },
        control);
    if (!outcome)
        return std::unexpected(outcome.error());
    plan.shopCount = outcome->shopCount;
    plan.cancelled = outcome->cancelled;
    return plan;
}

ReplaceOutcome ItemReplace::apply(const ReplacePlan& plan, const std::filesystem::path& tablePath,
                                  io::FileWriter& writer, const ReplaceOptions& options)
{
    using Kind = ReplaceOutcome::Kind;
    ReplaceOutcome outcome;
    auto nothingWritten = [&](Kind kind, std::string message) {
        outcome.kind = kind;
        outcome.message = std::move(message);
        for (const auto& shop : plan.shops)
            outcome.notWritten.push_back(shop.path);
        return outcome;
    };
    if (plan.cancelled)
        return nothingWritten(Kind::Cancelled, "替换已取消，没有写入任何文件。");
    if (!plan.refused.empty())
        return nothingWritten(Kind::Refused, "有商店替换后无法正确读回，没有写入任何文件。");
    if (!plan.unreadable.empty() && !options.skipUnreadable)
        return nothingWritten(Kind::Unreadable, "有NPC商店无法读取，没有写入任何文件。");
    if (plan.shops.empty())
        return outcome;

    // One lock for the whole batch: no save of this workspace runs between the checks and the
    // last write.
    auto lock = shop::ShopWriter::lockForSave(tablePath, options.lockWait, options.history);
    if (!lock)
        return nothingWritten(Kind::Busy, lock.error().message);
    std::vector<history::FileChange> changes;
    for (const auto& shop : plan.shops) {
        auto now = io::readFileBytes(shop.path);
        const auto current = now ? io::fingerprintOf(shop.path, *now) : io::missingFileFingerprint();
        if (!current.sameContentAs(shop.fingerprint))
            return nothingWritten(Kind::ChangedOnDisk,
                                  "商店文件在读取之后已被其他程序修改：" + io::displayPath(shop.path));
        if (options.history)
            changes.push_back({shop.path, std::move(*now), shop.bytes});
    }
    // One entry for the whole batch, written before the first shop: the batch's journal.
    history::Entry entry;
    if (options.history) {
        auto begun = options.history->begin("替换 " + plan.from + " → " + plan.to + "（" +
                                                std::to_string(plan.shops.size()) + " 个商店）",
                                            changes);
        if (!begun)
            return nothingWritten(Kind::WriteFailed, begun.error().message);
        entry = std::move(*begun);
    }
    for (std::size_t i = 0; i < plan.shops.size(); ++i) {
        const auto& shop = plan.shops[i];
        if (auto ok = writer.write(shop.path, shop.bytes); !ok) {
            outcome.kind = Kind::WriteFailed;
            outcome.message = "无法写入商店文件：" + ok.error().message;
            for (std::size_t j = i; j < plan.shops.size(); ++j)
                outcome.notWritten.push_back(plan.shops[j].path);
            // All or nothing: the shops written so far go back to what they were.
            if (options.history) {
                if (auto back = options.history->rollBack(entry); back) {
                    outcome.message += "\n已写入的商店已恢复原样。";
                    outcome.notWritten.insert(outcome.notWritten.begin(), outcome.written.begin(),
                                              outcome.written.end());
                    outcome.written.clear();
                } else {
                    outcome.message += "\n" + back.error().message;
                }
            }
            return outcome;
        }
        outcome.written.push_back(shop.path);
    }
    if (options.history && !options.history->finish(entry)) {
        std::error_code ignored;
        std::filesystem::remove_all(entry.folder, ignored);
    }
    return outcome;
}

} // namespace shopkeeper::tools
