#pragma once

#include "generator/WorkspaceGenerator.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace shopkeeper::bench {

// The large workspace the benchmarks share: 1,000 NPC shops and 10,000 NPC files, generated
// once into the temporary folder and kept there for later runs.
inline std::filesystem::path largeWorkspace()
{
    const auto folder = std::filesystem::temp_directory_path() / "shopkeeper-bench-npcs";
    if (!std::filesystem::exists(folder / "npc/npc.kor.str")) {
        auto ok = generator::generateWorkspace(folder, {.shops = 1000, .npcs = 10000, .seed = 99});
        if (!ok) {
            std::cerr << ok.error().message << "\n";
            std::exit(1);
        }
    }
    return folder;
}

} // namespace shopkeeper::bench
