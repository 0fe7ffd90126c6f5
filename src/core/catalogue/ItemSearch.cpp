#include "core/catalogue/ItemSearch.h"

#include "core/text/ScriptText.h"

#include <unordered_set>

namespace shopkeeper::catalogue {

std::string foundCountText(std::size_t count)
{
    return "已找到" + std::to_string(count) + "个物品";
}

bool isSearchTextLongEnough(std::string_view text)
{
    return text::gbkWidth(text) >= kMinSearchWidth;
}

namespace {

class HitStream
{
public:
    HitStream(const HitBatchHandler& onBatch, std::size_t batchSize)
        : onBatch_(onBatch), batchSize_(batchSize == 0 ? 1 : batchSize)
    {
    }

    // False when the handler asked to stop.
    bool add(std::string_view id, std::string_view name)
    {
        batch_.push_back({std::string(id), std::string(name)});
        ++count_;
        if (batch_.size() >= batchSize_ || count_ == kHitQuestionThreshold + 1)
            return flush();
        return true;
    }

    bool flush()
    {
        if (batch_.empty())
            return true;
        std::vector<ItemHit> out;
        out.swap(batch_);
        return onBatch_(std::move(out), count_);
    }

private:
    const HitBatchHandler& onBatch_;
    std::size_t batchSize_;
    std::vector<ItemHit> batch_;
    std::size_t count_ = 0;
};

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

} // namespace

Result<SearchEnd> searchItems(const ItemCatalogue& catalogue, std::string_view text,
                              const HitBatchHandler& onBatch, const std::atomic<bool>* cancel,
                              std::size_t batchSize)
{
    if (!isSearchTextLongEnough(text))
        return fail(kSearchTooShortMessage);
    HitStream stream(onBatch, batchSize);
    const std::string needle = text::asciiLowered(text);

    // Names listed from the external table, lowered: a built-in entry of the same name is not
    // listed again. (A set of whole names, where a text of "@name@" lines would also hide a
    // built-in name that is only part of an external name holding "@".)
    std::unordered_set<std::string> listed;
    if (const ExternalItemTable* external = catalogue.externalTable()) {
        for (std::size_t i = 0; i < external->lineCount(); ++i) {
            if (cancelled(cancel))
                return SearchEnd::Stopped;
            if (external->loweredLine(i).find(needle) == std::string_view::npos)
                continue;
            const auto pieces = ExternalItemTable::idAndName(external->line(i));
            if (!pieces)
                continue;
            listed.insert(text::asciiLowered(pieces->second));
            if (!stream.add(pieces->first, pieces->second))
                return SearchEnd::Stopped;
        }
    }

    const BuiltinItemList& builtin = catalogue.builtin();
    bool stopped = false;
    builtin.forEachNameContaining(needle, [&](std::size_t entry) {
        if (cancelled(cancel)) {
            stopped = true;
            return false;
        }
        const std::string_view name = builtin.name(entry);
        if (!listed.empty() && listed.contains(text::asciiLowered(name)))
            return true;
        if (!stream.add(builtin.id(entry), name)) {
            stopped = true;
            return false;
        }
        return true;
    });
    if (stopped || cancelled(cancel))
        return SearchEnd::Stopped;
    if (!stream.flush())
        return SearchEnd::Stopped;
    return SearchEnd::Finished;
}

Result<std::vector<ItemHit>> searchAllItems(const ItemCatalogue& catalogue, std::string_view text)
{
    std::vector<ItemHit> hits;
    auto end = searchItems(
        catalogue, text,
        [&](std::vector<ItemHit>&& batch, std::size_t) {
            hits.insert(hits.end(), std::make_move_iterator(batch.begin()),
                        std::make_move_iterator(batch.end()));
            return true;
        },
        nullptr, 4096);
    if (!end)
        return std::unexpected(end.error());
    return hits;
}

} // namespace shopkeeper::catalogue
