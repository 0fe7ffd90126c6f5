#pragma once

#include <cstdint>
#include <string>

namespace shopkeeper::generator {

// The two texts of the built-in item list, GBK bytes: names and IDs, entries separated by
// CR LF with none after the last.
struct ItemLists
{
    std::string names;
    std::string ids;
};

// The shape of the sample list, matching the game's own list entry for entry.
inline constexpr std::size_t kSampleItemCount = 83977;
inline constexpr std::size_t kSampleNamesBytes = 1709653;
inline constexpr std::size_t kSampleIdsBytes = 713736;
inline constexpr const char* kSampleDuplicateId = "39912";
inline constexpr const char* kSampleLastId = "690001555";
inline constexpr std::size_t kSampleTabNames = 16;
inline constexpr std::size_t kSampleRepeatedNames = 5654; // distinct names that occur more than once

// A synthetic item list in exactly the format and shape of the game's built-in list: IDs
// ascending from 0 to 690001555 without sign or leading zeros, 39912 twice (its two entries
// carry different names), names of at most 65 GBK bytes made from our own word lists, 16 names
// holding a TAB, 5,654 names that occur more than once under different IDs, and byte sizes of
// exactly kSampleNamesBytes and kSampleIdsBytes. The same seed always gives the same bytes.
ItemLists generateItemLists(std::uint64_t seed = 1);

} // namespace shopkeeper::generator
