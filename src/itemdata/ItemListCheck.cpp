// ItemListCheck NAMES IDS: exits 0 when the two files make a built-in item list, else prints
// what is wrong and exits 1. Built and run while configuring, when the game's own list is given.
#include "ItemListFormat.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

bool readAll(const char* path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cout << "usage: ItemListCheck NAMES IDS\n";
        return 2;
    }
    std::string names;
    std::string ids;
    if (!readAll(argv[1], names)) {
        std::cout << "cannot read the item names file " << argv[1] << "\n";
        return 1;
    }
    if (!readAll(argv[2], ids)) {
        std::cout << "cannot read the item IDs file " << argv[2] << "\n";
        return 1;
    }
    const std::string fault = shopkeeper::itemdata::checkItemLists(names, ids);
    if (!fault.empty()) {
        std::cout << fault << "\n";
        return 1;
    }
    return 0;
}
