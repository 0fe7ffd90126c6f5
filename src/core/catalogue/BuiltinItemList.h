#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace shopkeeper::catalogue {

// The item list compiled into the program: two parallel GBK texts, names and IDs, entries
// separated by CR LF. Read once into UTF-8 entries with an index from ID to its first entry
// (the list holds one ID twice; the first occurrence names it), and kept read-only, so any
// number of threads may use it at once.
class BuiltinItemList
{
public:
    static BuiltinItemList fromTexts(std::string_view gbkNames, std::string_view gbkIds);
    // The list compiled into the program, read on first use by whichever thread asks first.
    // Provided by the item data library (shopkeeper_itemdata), which holds the texts.
    static const BuiltinItemList& shared();

    std::size_t size() const { return ids_.size(); }
    const std::string& id(std::size_t i) const { return ids_[i]; }
    const std::string& name(std::size_t i) const { return names_[i]; }
    // The name, ASCII letters lowered, for searching.
    const std::string& foldedName(std::size_t i) const { return foldedNames_[i]; }

    // The name of the first entry with exactly this ID.
    std::optional<std::string_view> nameOf(std::string_view id) const;

private:
    std::vector<std::string> names_;
    std::vector<std::string> foldedNames_;
    std::vector<std::string> ids_;
    std::unordered_map<std::string_view, std::size_t> firstOfId_;
};

} // namespace shopkeeper::catalogue
