#pragma once

#include "core/Result.h"
#include "core/catalogue/ItemCatalogue.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::catalogue {

inline constexpr std::size_t kMinSearchWidth = 4; // GBK bytes: two Chinese characters
inline constexpr const char* kSearchTooShortTitle = "提示";
inline constexpr const char* kSearchTooShortMessage = "请输入要搜索的物品名,至少2个汉字长度！";
inline constexpr std::size_t kHitQuestionThreshold = 100;
inline constexpr const char* kTooManyHitsTitle = "提示";
inline constexpr const char* kTooManyHitsQuestion =
    "已找到的物品超过100个，建议输入详细物品名再搜索！是否停止查找？";

// "已找到" N "个物品": how many hits a search has found, as the user reads it.
std::string foundCountText(std::size_t count);

// At least kMinSearchWidth bytes as GBK counts them (1 per ASCII character, 2 per other one).
bool isSearchTextLongEnough(std::string_view text);

// One result: shown as "ID---name".
struct ItemHit
{
    std::string id;
    std::string name;
    std::string entryText() const { return id + "---" + name; }
    bool operator==(const ItemHit&) const = default;
};

enum class SearchEnd
{
    Finished, // every line and entry was examined
    Stopped,  // the handler said stop, or the cancel flag was set
};

// Receives the hits in result order, a batch at a time, with the number of hits so far
// (this batch included). Return false to stop the search.
using HitBatchHandler = std::function<bool(std::vector<ItemHit>&& batch, std::size_t hitsSoFar)>;

// The item search, run on the calling thread (a worker):
//  1. with the external table in use, each of its lines that contains text (the whole line, ID
//     included), as "ID---name" from its first two TAB pieces (lines with fewer are skipped);
//  2. then each built-in entry whose name contains text, unless an external hit already listed
//     that name (compared without case).
// Containment compares ASCII letters without case. Results equal those of rebuilding both
// lists and testing every line, entry by entry.
//
// Streaming: a batch ends every batchSize hits, right after hit number kHitQuestionThreshold + 1
// (so the caller can ask the user whether to go on while the worker waits for the handler, and
// stop on Yes by returning false), and at the end. cancel, when given, is checked between
// lines and entries; setting it (a new search, the search given up) stops the search soon after.
// A text shorter than kMinSearchWidth is refused with kSearchTooShortMessage.
Result<SearchEnd> searchItems(const ItemCatalogue& catalogue, std::string_view text,
                              const HitBatchHandler& onBatch, const std::atomic<bool>* cancel = nullptr,
                              std::size_t batchSize = 256);

// Every hit at once (the CLI, tests).
Result<std::vector<ItemHit>> searchAllItems(const ItemCatalogue& catalogue, std::string_view text);

} // namespace shopkeeper::catalogue
