#pragma once

#include "generator/WorkspaceGenerator.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace shopkeeper::bench {

// What the generator makes today, as one number: the bytes of a small workspace made with the
// large one's seed. A large workspace kept from an older generator is made again.
inline std::string generatorStamp()
{
    const auto probe = std::filesystem::temp_directory_path() / "shopkeeper-bench-stamp";
    std::filesystem::remove_all(probe);
    std::string all;
    if (generator::generateWorkspace(probe, {.shops = 3, .npcs = 3, .seed = 99})) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(probe)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            all += file.lexically_relative(probe).string() + "\n";
            all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    std::filesystem::remove_all(probe);
    return std::to_string(std::hash<std::string>{}(all));
}

// The large workspace the benchmarks share: 1,000 NPC shops and 10,000 NPC files, generated
// into the temporary folder and kept there for later runs of the same generator.
inline std::filesystem::path largeWorkspace()
{
    const auto folder = std::filesystem::temp_directory_path() / "shopkeeper-bench-npcs";
    const auto stampFile = std::filesystem::temp_directory_path() / "shopkeeper-bench-npcs.stamp";
    const std::string stamp = generatorStamp();
    std::string kept;
    if (std::ifstream in(stampFile); in)
        std::getline(in, kept);
    if (kept != stamp || !std::filesystem::exists(folder / "npc/npc.kor.str")) {
        std::filesystem::remove_all(folder);
        auto ok = generator::generateWorkspace(folder, {.shops = 1000, .npcs = 10000, .seed = 99});
        if (!ok) {
            std::cerr << ok.error().message << "\n";
            std::exit(1);
        }
        std::ofstream(stampFile) << stamp << "\n";
    }
    return folder;
}

} // namespace shopkeeper::bench
