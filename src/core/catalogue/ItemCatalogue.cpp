#include "catalogue/ItemCatalogue.h"

#include "text/ScriptText.h"

#include <unordered_set>

namespace shopkeeper::catalogue {

ItemCatalogue::ItemCatalogue(const BuiltinItemList* builtin,
                             std::shared_ptr<const ExternalItemTable> external)
    : builtin_(builtin), external_(std::move(external))
{
}

std::string ItemCatalogue::idToName(std::string_view id) const
{
    if (id == "-1")
        return {};
    if (external_) {
        if (auto name = external_->nameOf(id))
            return *name;
    }
    if (builtin_) {
        if (auto name = builtin_->nameOf(id))
            return std::string(*name);
    }
    return kUnknownItem;
}

Status ItemCatalogue::checkSearchText(std::string_view text)
{
    if (text::gbkWidth(text) < 4)
        return fail(kSearchTooShortMessage);
    return {};
}

void ItemCatalogue::search(std::string_view text, const HitHandler& onHit,
                           const std::atomic<bool>* cancel) const
{
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    // A UTF-8 needle can only match at the start of a character, so a plain find on the
    // ASCII-lowered texts is the case-folded, character-aligned search.
    const std::string needle = text::asciiLowered(text);
    std::unordered_set<std::string> listedNames;
    if (external_) {
        for (const auto& line : external_->lines()) {
            if (cancelled())
                return;
            if (text::asciiLowered(line).find(needle) == std::string::npos)
                continue;
            const auto pieces = text::splitView(line, "\t");
            if (pieces.size() < 2)
                continue;
            listedNames.insert(text::asciiLowered(pieces[1]));
            if (!onHit(pieces[0], pieces[1]))
                return;
        }
    }
    if (!builtin_)
        return;
    for (std::size_t i = 0; i < builtin_->size(); ++i) {
        if (cancelled())
            return;
        const auto& folded = builtin_->foldedName(i);
        if (folded.find(needle) == std::string::npos || listedNames.contains(folded))
            continue;
        if (!onHit(builtin_->id(i), builtin_->name(i)))
            return;
    }
}

} // namespace shopkeeper::catalogue
