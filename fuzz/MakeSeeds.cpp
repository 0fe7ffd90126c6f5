// Writes the seed corpus of every fuzz target from a generated workspace and the kept findings:
//   shopkeeper-fuzz-seeds OUT [FINDINGS]   gives OUT/workspace and OUT/<target>/ for each target.
// Every kept finding seeds its target, so each run starts from every input that once broke one.
#include "cli/ShopJson.h"
#include "core/shop/ShopReader.h"
#include "core/text/StringTable.h"
#include "generator/WorkspaceGenerator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace shopkeeper;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Corpus
{
public:
    Corpus(const fs::path& folder, std::string prefix = "seed-") : folder_(folder), prefix_(std::move(prefix))
    {
        fs::create_directories(folder_);
    }
    void add(const std::string& bytes)
    {
        std::ofstream(folder_ / (prefix_ + std::to_string(++count_)), std::ios::binary) << bytes;
    }

private:
    fs::path folder_;
    std::string prefix_;
    int count_ = 0;
};

std::vector<fs::path> filesIn(const fs::path& folder, const std::vector<std::string>& extensions)
{
    std::vector<fs::path> out;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const auto extension = entry.path().extension().string();
        for (const auto& wanted : extensions)
            if (extension == wanted)
                out.push_back(entry.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: shopkeeper-fuzz-seeds OUT [FINDINGS]\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path workspace = out / "workspace";
    fs::remove_all(workspace);
    if (auto ok = generator::generateWorkspace(workspace, {}); !ok) {
        std::fprintf(stderr, "%s\n", ok.error().message.c_str());
        return 1;
    }
    const fs::path shopDir = workspace / "itemshop";
    const std::string table = readBytes(shopDir / "itemshop.kor.str");

    Corpus sellBlocks(out / "sell-item-block"), shops(out / "shop-reader"), roundTrips(out / "round-trip"),
        tables(out / "string-table"), indexes(out / "shop-index"), texts(out / "script-text"),
        patterns(out / "regex"), json(out / "shop-json");

    const char* regexes[] = {"[0-9]",
                             "`(\\[[a-z ]+\\])`",
                             "^\\s*<5::([^`]+)`",
                             "(?<key>tab_name_[0-9]+)>",
                             "#引号([^#]*)#引号",
                             "(-2|-1)\\t",
                             "^$"};
    int n = 0;
    for (const auto& path : filesIn(shopDir, {".shp", ".SHP"})) {
        const std::string bytes = readBytes(path);
        shops.add(bytes + "\f" + table);
        roundTrips.add(bytes + "\f" + table);
        const auto open = bytes.find("[sell item]");
        const auto close = bytes.find("[/sell item]");
        if (open != std::string::npos && close != std::string::npos && open < close)
            sellBlocks.add(bytes.substr(open + 11, close - open - 11));
        texts.add(bytes + "\f[tab name]\f[名字]");
        const char* pattern = regexes[n % std::size(regexes)];
        patterns.add(std::string(1, static_cast<char>(n % 16)) + pattern + "\f" + bytes + "\f<$1>");
        ++n;
        if (auto document = shop::ShopReader::fromBytes(bytes, text::StringTable::fromBytes(table))) {
            document->source().path = path;
            json.add(cli::shopToJson(*document).dump(2));
        }
    }
    tables.add(table + "\ftab_name_10\f面包");
    tables.add(readBytes(workspace / "npc" / "npc.kor.str") + "\fname_3\f商人");
    indexes.add(readBytes(shopDir / "itemshop.lst") + "\fetc_0001.shp");
    for (const auto& path : filesIn(workspace / "npc", {".npc", ".NPC"}))
        texts.add(readBytes(path) + "\f[item shop]\f[weapon shop]");
    if (argc == 3) {
        // FINDINGS/<target>/ seeds that target; the shop files and JSON kept at the top are the
        // inputs of the shop reader, the round trip and the JSON reader.
        const fs::path findings = argv[2];
        const std::vector<std::string> targets = {"sell-item-block", "shop-reader", "round-trip",
                                                  "string-table",    "shop-index",  "script-text",
                                                  "regex",           "shop-json"};
        int kept = 0;
        for (const auto& target : targets) {
            if (!fs::is_directory(findings / target))
                continue;
            Corpus corpus(out / target, "finding-");
            for (const auto& entry : fs::directory_iterator(findings / target)) {
                if (entry.is_regular_file()) {
                    corpus.add(readBytes(entry.path()));
                    ++kept;
                }
            }
        }
        Corpus shopFindings(out / "shop-reader", "finding-top-"),
            roundTripFindings(out / "round-trip", "finding-top-"),
            jsonFindings(out / "shop-json", "finding-top-");
        for (const auto& path : filesIn(findings, {".shp", ".bin"})) {
            shopFindings.add(readBytes(path));
            roundTripFindings.add(readBytes(path));
            kept += 2;
        }
        for (const auto& path : filesIn(findings, {".json"})) {
            jsonFindings.add(readBytes(path));
            ++kept;
        }
        std::printf("%d kept findings added to the seeds\n", kept);
    }
    std::printf("seeds written to %s\n", out.string().c_str());
    return 0;
}
