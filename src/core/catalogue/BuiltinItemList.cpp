#include "core/catalogue/BuiltinItemList.h"

#include "BuiltinItemData.h"
#include "core/catalogue/GbkText.h"
#include "core/text/ScriptText.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>

namespace shopkeeper::catalogue {

namespace {

std::atomic<bool> g_loaded{false};

// IDs are decimal texts without leading zeros, so ordering by length and then by bytes orders
// them by value; it is a total order on any text, which is all the binary search needs.
bool idLess(std::string_view a, std::string_view b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// The number an ID writes, when it is one as written: 1 to 19 digits without a leading zero
// ("0" itself included). Two such IDs are equal exactly when their numbers are.
std::optional<std::uint64_t> numberOf(std::string_view id)
{
    if (id.empty() || id.size() > 19 || (id.size() > 1 && id[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : id) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

} // namespace

const BuiltinItemList& BuiltinItemList::instance()
{
    return *shared();
}

std::shared_ptr<const BuiltinItemList> BuiltinItemList::shared()
{
    static std::once_flag once;
    static std::shared_ptr<const BuiltinItemList> list;
    std::call_once(once, [] {
        // The program's own constants live as long as the process: the IDs are not copied.
        list = std::make_shared<const BuiltinItemList>(Token{}, itemdata::builtinItemNames(),
                                                       itemdata::builtinItemIds(), false);
        g_loaded.store(true, std::memory_order_release);
    });
    return list;
}

bool BuiltinItemList::isLoaded()
{
    return g_loaded.load(std::memory_order_acquire);
}

std::shared_ptr<const BuiltinItemList> BuiltinItemList::fromGbk(std::string_view names, std::string_view ids)
{
    return std::make_shared<const BuiltinItemList>(Token{}, names, ids, true);
}

BuiltinItemList::BuiltinItemList(Token, std::string_view namesGbk, std::string_view idsGbk, bool copyIds)
{
    // One conversion of the whole text: CR LF stays CR LF, so the entries split afterwards.
    const std::string utf8 = gbkToUtf8(namesGbk);
    const auto pieces = text::splitView(utf8, "\r\n");
    names_.reserve(utf8.size());
    starts_.reserve(pieces.size() + 1);
    for (auto piece : pieces) {
        starts_.push_back(static_cast<std::uint32_t>(names_.size()));
        names_.append(piece);
        // The separator of the search text: no name holds a NUL, and no search text does either.
        names_.push_back('\0');
    }
    starts_.push_back(static_cast<std::uint32_t>(names_.size()));
    lowered_ = text::asciiLowered(names_);

    if (copyIds) {
        ownedIds_.assign(idsGbk);
        idsGbk = ownedIds_;
    }
    ids_ = text::splitView(idsGbk, "\r\n");
    size_ = std::min(pieces.size(), ids_.size());
    ids_.resize(size_);

    byNumber_.reserve(size_);
    for (std::size_t i = 0; i < size_; ++i) {
        if (const auto number = numberOf(ids_[i]))
            byNumber_.emplace_back(*number, static_cast<std::uint32_t>(i));
    }
    // By number, and among equal numbers by entry: the first entry of an ID is found first.
    std::sort(byNumber_.begin(), byNumber_.end());

    if (!std::is_sorted(ids_.begin(), ids_.end(), idLess)) {
        byId_.resize(size_);
        for (std::size_t i = 0; i < size_; ++i)
            byId_[i] = static_cast<std::uint32_t>(i);
        // Stable, so that among equal IDs the first entry comes first.
        std::stable_sort(byId_.begin(), byId_.end(),
                         [this](std::uint32_t a, std::uint32_t b) { return idLess(ids_[a], ids_[b]); });
    }
}

std::string_view BuiltinItemList::name(std::size_t i) const
{
    return std::string_view(names_).substr(starts_[i], starts_[i + 1] - starts_[i] - 1);
}

std::optional<std::size_t> BuiltinItemList::indexOf(std::string_view id) const
{
    if (const auto number = numberOf(id)) {
        const auto it =
            std::lower_bound(byNumber_.begin(), byNumber_.end(), std::pair{*number, std::uint32_t{0}});
        if (it != byNumber_.end() && it->first == *number)
            return it->second;
        return std::nullopt;
    }
    if (byId_.empty()) {
        const auto it = std::lower_bound(ids_.begin(), ids_.end(), id, idLess);
        if (it != ids_.end() && *it == id)
            return static_cast<std::size_t>(it - ids_.begin());
        return std::nullopt;
    }
    const auto it =
        std::lower_bound(byId_.begin(), byId_.end(), id, [this](std::uint32_t entry, std::string_view key) {
            return idLess(ids_[entry], key);
        });
    if (it != byId_.end() && ids_[*it] == id)
        return *it;
    return std::nullopt;
}

bool BuiltinItemList::forEachNameContaining(std::string_view needle,
                                            const std::function<bool(std::size_t)>& onHit) const
{
    if (needle.find('\0') != std::string_view::npos)
        return true; // no name holds a NUL
    if (needle.empty()) {
        // An empty text is found in every non-empty name.
        for (std::size_t i = 0; i < size_; ++i) {
            if (!name(i).empty() && !onHit(i))
                return false;
        }
        return true;
    }
    const std::string lowered = text::asciiLowered(needle);
    const std::boyer_moore_horspool_searcher searcher(lowered.begin(), lowered.end());
    const std::string_view hay(lowered_);
    // Only the entries that exist in both lists are searched.
    const std::size_t end = starts_[size_];
    std::size_t from = 0;
    while (from < end) {
        const auto it = std::search(hay.begin() + static_cast<std::ptrdiff_t>(from),
                                    hay.begin() + static_cast<std::ptrdiff_t>(end), searcher);
        if (it == hay.begin() + static_cast<std::ptrdiff_t>(end))
            break;
        const auto at = static_cast<std::size_t>(it - hay.begin());
        // A match never starts inside a character (only possible for a needle that is not UTF-8).
        if ((static_cast<unsigned char>(hay[at]) & 0xC0) == 0x80) {
            from = at + 1;
            continue;
        }
        const auto entry = static_cast<std::size_t>(
            std::upper_bound(starts_.begin(), starts_.end(), static_cast<std::uint32_t>(at)) -
            starts_.begin() - 1);
        if (!onHit(entry))
            return false;
        from = starts_[entry + 1];
    }
    return true;
}

} // namespace shopkeeper::catalogue
