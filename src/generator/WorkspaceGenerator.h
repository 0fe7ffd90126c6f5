#pragma once

#include "core/Result.h"

#include <cstdint>
#include <filesystem>

namespace shopkeeper::generator {

struct GeneratorOptions
{
    int shops = 20; // NPC shops ("[etc shop]" and "[weapon shop]"); plain item shops come on top
    int npcs = 30;  // NPC files
    std::uint64_t seed = 1;
    int unknownItems = 4; // percent of the items sold that the built-in list does not hold
};

// Writes a complete synthetic workspace in the real encodings: UTF-8 scripts with CR LF, BIG5
// traditional string tables. The same options always give the same bytes. It holds every case
// the editor must handle: each shop kind, one to five pages, own and shared tab keys, indented
// and multi-line item blocks, NPCs that open shops and NPCs that don't, shops no NPC opens,
// names missing from the NPC table, and name links of other tables. The shops sell items of the
// built-in item list, with a share of IDs no list holds (a few unless asked for more).
Status generateWorkspace(const std::filesystem::path& folder, const GeneratorOptions& options);

} // namespace shopkeeper::generator
