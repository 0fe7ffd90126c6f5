// shopkeeper-make-items OUT_NAMES OUT_IDS [--seed S]: writes the sample built-in item list.
// The build runs it to make the list it compiles into the program.
#include "generator/ItemListGenerator.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

namespace {

bool writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t seed = 1;
    if (argc == 5 && std::string(argv[3]) == "--seed") {
        try {
            std::size_t used = 0;
            seed = std::stoull(argv[4], &used);
            if (used != std::string(argv[4]).size())
                throw std::invalid_argument(argv[4]);
        } catch (const std::exception&) {
            std::cerr << "shopkeeper-make-items: bad seed '" << argv[4] << "'\n";
            return 1;
        }
    } else if (argc != 3) {
        std::cerr << "usage: shopkeeper-make-items OUT_NAMES OUT_IDS [--seed S]\n";
        return 1;
    }
    try {
        const auto lists = shopkeeper::generator::generateItemLists(seed);
        if (!writeBytes(argv[1], lists.names) || !writeBytes(argv[2], lists.ids)) {
            std::cerr << "shopkeeper-make-items: cannot write " << argv[1] << " or " << argv[2] << "\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "shopkeeper-make-items: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
