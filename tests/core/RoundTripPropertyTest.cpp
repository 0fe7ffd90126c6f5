// Every shop file kept in tests/data/fuzz-findings/ (inputs that once broke a save) must keep
// the round-trip property, with an empty page-name table and with one that names every key.
#include "RoundTripProperty.h"

#include "core/text/StringTableCodec.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

namespace fs = std::filesystem;
using namespace shopkeeper;

namespace {

const fs::path kFindings = SHOPKEEPER_FUZZ_FINDINGS;

// A table with a line for every key that follows "<5::" in the file.
std::string tableNamingEveryKey(const std::string& shop)
{
    std::string table;
    const std::regex key("<5::([A-Za-z0-9_]+)");
    int n = 0;
    for (std::sregex_iterator it(shop.begin(), shop.end(), key), end; it != end; ++it)
        table += (*it)[1].str() + ">名字" + std::to_string(++n) + "\r\n";
    table += "other_shop>别家\r\n";
    return text::StringTableCodec::encode(table).value();
}

std::vector<fs::path> findings()
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kFindings)) {
        const auto ext = entry.path().extension();
        if (ext == ".shp" || ext == ".bin")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(RoundTripProperty, EveryKeptFindingRoundTripsOrIsRefused)
{
    const auto files = findings();
    ASSERT_GE(files.size(), 11u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const auto bytes = test::readFile(file);
        const bool accepted = test::expectRoundTrip(bytes, tableNamingEveryKey(bytes));
        test::expectRoundTrip(bytes, "");
        std::cout << file.filename().string() << ": " << (accepted ? "round trip" : "refused") << "\n";
    }
}
