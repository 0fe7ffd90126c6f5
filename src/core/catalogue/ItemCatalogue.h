#pragma once

#include "core/catalogue/BuiltinItemList.h"
#include "core/catalogue/ExternalItemTable.h"

#include <expected>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace shopkeeper::catalogue {

inline constexpr const char* kExternalStatusText = "已加载外置物品ID表！";
inline constexpr const char* kBuiltinStatusText = "内置物品ID仅供参考！";

// Item ID to name over the user's table id-name.txt (while it is in use) and the built-in list.
//
// A catalogue is a small value: copying it copies two shared pointers to read-only tables. The
// main window keeps one, and hands a copy to each worker (preview fill, search) when it starts,
// so a worker keeps reading the tables it started with even if the user unchecks or reloads
// the external table meanwhile. Every const member may be called from any number of threads.
class ItemCatalogue
{
public:
    // Over the process-wide built-in list, loaded on first use (see BuiltinItemList::preload).
    ItemCatalogue() = default;
    // Over another built-in list (tests, benchmarks).
    explicit ItemCatalogue(std::shared_ptr<const BuiltinItemList> builtin);

    const BuiltinItemList& builtin() const;

    // Reads folder/id-name.txt and puts it in use; on failure the catalogue holds the built-in
    // list only and the error says why. clearExternalTable() takes the user's table out of use;
    // loading again reads the file again.
    std::expected<void, ExternalTableError> loadExternalTable(const std::filesystem::path& folder);
    void clearExternalTable() { external_.reset(); }
    void setExternalTable(ExternalItemTable table);
    bool usesExternalTable() const { return external_ != nullptr; }
    const ExternalItemTable* externalTable() const { return external_.get(); }

    // Which tables name the items, as a short status text.
    std::string_view statusText() const
    {
        return usesExternalTable() ? kExternalStatusText : kBuiltinStatusText;
    }

    // The name of an item: "" for an empty slot ("-1", or an empty cell); the external table's
    // name when it is in use and has a line with this ID; else the built-in name of the first
    // entry with this ID; else kUnknownItemName ("未知物品"). For the preview and the name shown
    // for a single cell alike.
    std::string idToName(std::string_view id) const;
    // idToName(id) == kUnknownItemName, without making the name: for a check of every cell.
    bool isUnknown(std::string_view id) const;

private:
    std::shared_ptr<const BuiltinItemList> builtin_; // null: the process-wide list
    std::shared_ptr<const ExternalItemTable> external_;
};

// The path of the user's table in a workspace folder.
std::filesystem::path externalTablePath(const std::filesystem::path& folder);

} // namespace shopkeeper::catalogue
