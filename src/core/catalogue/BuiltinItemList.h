#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shopkeeper::catalogue {

// The item list compiled into the program: parallel lists of names and IDs, entry i of one
// belonging to entry i of the other. The compiled-in GBK texts are split and converted to UTF-8
// once per process, on first use, and then shared read-only by every window, worker and the
// CLI, so any number of threads may read it at once.
//
// Loading takes a few tens of milliseconds: a GUI calls preload() from a worker at start-up so
// that no window waits for it (a first use on the UI thread would otherwise load it there).
class BuiltinItemList
{
public:
    // The process-wide list, loaded on the first call (thread-safe; later calls return at once).
    static const BuiltinItemList& instance();
    static std::shared_ptr<const BuiltinItemList> shared();
    // Loads the process-wide list now, on the calling thread, if it is not loaded yet.
    static void preload() { (void)instance(); }
    // True once the process-wide list is loaded; never blocks.
    static bool isLoaded();

    // A list from two GBK texts in the built-in format (entries separated by CR LF), for tests
    // and benchmarks. The texts are copied.
    static std::shared_ptr<const BuiltinItemList> fromGbk(std::string_view names, std::string_view ids);

    BuiltinItemList(const BuiltinItemList&) = delete;
    BuiltinItemList& operator=(const BuiltinItemList&) = delete;

    // The number of entries (of the shorter list, should the two texts ever differ).
    std::size_t size() const { return size_; }
    // Entry i, UTF-8; valid as long as the list lives.
    std::string_view name(std::size_t i) const;
    std::string_view id(std::size_t i) const { return ids_[i]; }

    // The first entry whose ID is exactly id (whole-text comparison), or nothing.
    std::optional<std::size_t> indexOf(std::string_view id) const;

    // Calls onHit(i), in entry order, for each entry whose name contains needle, ASCII letters
    // compared without case (needle is lowered here); stops early when onHit returns false.
    // Returns false when it was stopped that way.
    bool forEachNameContaining(std::string_view needle, const std::function<bool(std::size_t)>& onHit) const;

private:
    struct Token
    {
    };

public:
    // For make_shared only: lists come from instance() and fromGbk().
    BuiltinItemList(Token, std::string_view namesGbk, std::string_view idsGbk, bool copyIds);

private:
    std::string names_;                 // UTF-8 names, each followed by a NUL
    std::string lowered_;               // the same with ASCII letters lowered, offset for offset
    std::vector<std::uint32_t> starts_; // start of entry i in names_; one more at the end
    std::string ownedIds_;              // the ID text when it is not the program's own constant
    std::vector<std::string_view> ids_;
    std::vector<std::uint32_t> byId_; // entry numbers ordered by ID; empty when the IDs ascend
    // The IDs that are whole numbers as written (digits, no leading zero), as numbers, each with
    // its entry, in order and the first entry of an ID first: what most look-ups need, found
    // without reading the texts.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> byNumber_;
    std::size_t size_ = 0;
};

} // namespace shopkeeper::catalogue
