#pragma once

// The round-trip property every shop file must have: either the reader refuses it with a
// message, or read -> save without edits -> read gives the same pages with the same names and
// the same repair flag, and a second save writes the same bytes into both files.
// Drop a file into tests/data/fuzz-findings/ and RoundTripPropertyTest runs it through this.
#include "TestFiles.h"
#include "core/io/AtomicFile.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace shopkeeper::test {

struct ShownPage
{
    std::size_t position = 0; // 0 for page 1
    std::vector<shop::ShopPage::Row> rows;
    std::string name;
    bool operator==(const ShownPage&) const = default;
};

inline void PrintTo(const ShownPage& page, std::ostream* out)
{
    *out << "{" << page.position + 1 << " \"" << page.name << "\":";
    for (const auto& row : page.rows) {
        for (const auto& cell : row)
            *out << ' ' << cell;
        *out << " |";
    }
    *out << "}";
}

// The pages that hold items, each in its place with its caption: what the user sees of a shop.
inline std::vector<ShownPage> shownPages(const shop::ShopDocument& document)
{
    std::vector<ShownPage> out;
    for (std::size_t k = 0; k < document.pages().size(); ++k) {
        if (!document.pages()[k].hasItems())
            continue;
        auto page = document.pages()[k];
        page.removeEmptyRows();
        page.fillEmptyCells();
        out.push_back({k, page.rows(), document.names()[k]});
    }
    return out;
}

// Checks the property for one shop file's bytes with the given page-name table bytes.
// Returns true when the reader accepted the file.
inline bool expectRoundTrip(const std::string& shopBytes, const std::string& tableBytes)
{
    TempDir dir;
    const auto shopPath = dir / "itemshop/a.shp";
    const auto tablePath = dir / "itemshop/itemshop.kor.str";
    writeFile(shopPath, shopBytes);
    writeFile(tablePath, tableBytes);

    auto first = shop::ShopReader::open(shopPath, tablePath);
    if (!first) {
        EXPECT_FALSE(first.error().message.empty()) << "a refused shop must say why";
        EXPECT_EQ(readFile(shopPath), shopBytes);
        return false;
    }
    std::mt19937 random(7);
    shop::ShopWriter writer(&random);
    io::AtomicFileWriter disk;
    const auto before = shownPages(*first);
    const bool repairable = first->isRepairable();
    auto saved = writer.save(*first, tablePath, disk);
    EXPECT_TRUE(saved.has_value()) << "a shop the reader accepts must save: " << saved.error().message;
    if (!saved)
        return true;

    auto second = shop::ShopReader::open(shopPath, tablePath);
    EXPECT_TRUE(second.has_value()) << "a saved shop must read again: " << second.error().message;
    if (!second)
        return true;
    EXPECT_EQ(shownPages(*second), before) << "pages or names changed";
    EXPECT_EQ(second->isRepairable(), repairable) << "the repair flag changed";

    const auto shopAfterFirst = readFile(shopPath);
    const auto tableAfterFirst = readFile(tablePath);
    auto again = writer.save(*second, tablePath, disk);
    EXPECT_TRUE(again.has_value()) << again.error().message;
    EXPECT_EQ(readFile(shopPath), shopAfterFirst) << "a second save changed the shop file";
    EXPECT_EQ(readFile(tablePath), tableAfterFirst) << "a second save changed the table";
    return true;
}

} // namespace shopkeeper::test
