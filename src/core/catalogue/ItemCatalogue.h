#pragma once

#include "Result.h"
#include "catalogue/BuiltinItemList.h"
#include "catalogue/ExternalItemTable.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace shopkeeper::catalogue {

inline constexpr const char* kUnknownItem = "未知物品";
inline constexpr const char* kSearchTooShortMessage = "请输入要搜索的物品名,至少2个汉字长度！";

// Item IDs to names and back, over the user's table (while it is in use) and the built-in list.
// A catalogue never changes once made and may be used from several threads at once.
class ItemCatalogue
{
public:
    ItemCatalogue(const BuiltinItemList* builtin, std::shared_ptr<const ExternalItemTable> external);

    // "" for "-1" (an empty slot), the user's name first, then the built-in one, else "未知物品".
    std::string idToName(std::string_view id) const;

    // A search text must be at least four bytes the way GBK counts them: two Chinese characters
    // or four ASCII letters.
    static Status checkSearchText(std::string_view text);

    // The hits for text, in the search window's order: lines of the user's table that contain
    // it (the whole line is searched, so an ID is found too), then built-in entries whose name
    // contains it and was not already listed from the user's table. ASCII letters match
    // without case. onHit returns false to stop; cancel is checked after every entry.
    using HitHandler = std::function<bool(std::string_view id, std::string_view name)>;
    void search(std::string_view text, const HitHandler& onHit,
                const std::atomic<bool>* cancel = nullptr) const;

private:
    const BuiltinItemList* builtin_;
    std::shared_ptr<const ExternalItemTable> external_;
};

} // namespace shopkeeper::catalogue
