#include "cli/CatalogueCommands.h"

#include "cli/ShopJson.h"
#include "core/catalogue/ItemCatalogue.h"
#include "core/catalogue/ItemSearch.h"
#include "core/io/FileSystem.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

namespace shopkeeper::cli {

namespace {

using json = nlohmann::ordered_json;

// The catalogue as the editor has it with 外置ID选择框 checked (--workspace DIR) or not. Nothing,
// with the exit code, when DIR/id-name.txt cannot be used.
std::optional<catalogue::ItemCatalogue> openCatalogue(const Args& args, Streams io, int& exitCode)
{
    catalogue::ItemCatalogue catalogue;
    const auto workspace = args.values("--workspace");
    if (workspace.empty())
        return catalogue;
    if (auto ok = catalogue.loadExternalTable(io::pathFromUtf8(workspace[0])); !ok) {
        io.err << ok.error().title << ": " << ok.error().message << "\n";
        exitCode = exitCodeOf(ok.error());
        return std::nullopt;
    }
    return catalogue;
}

int name(const Args& args, Streams io)
{
    int exitCode = kOk;
    const auto catalogue = openCatalogue(args, io, exitCode);
    if (!catalogue)
        return exitCode;
    json out = json::array();
    for (const auto& id : args.positional) {
        const std::string itemName = catalogue->idToName(id);
        if (args.json())
            out.push_back({{"id", id}, {"name", itemName}});
        else
            io.out << id << '\t' << itemName << '\n';
    }
    if (args.json())
        io.out << jsonLine(out) << "\n";
    return kOk;
}

int search(const Args& args, Streams io)
{
    // The text is checked before the table is read, as the window does.
    if (!catalogue::isSearchTextLongEnough(args.positional[0])) {
        io.err << catalogue::kSearchTooShortMessage << "\n";
        return kBadInput;
    }
    int exitCode = kOk;
    const auto catalogue = openCatalogue(args, io, exitCode);
    if (!catalogue)
        return exitCode;
    auto hits = catalogue::searchAllItems(*catalogue, args.positional[0]);
    if (!hits) {
        io.err << hits.error().message << "\n";
        return kBadInput;
    }
    if (args.json()) {
        json out = json::array();
        for (const auto& hit : *hits)
            out.push_back({{"id", hit.id}, {"name", hit.name}});
        io.out << jsonLine(out) << "\n";
    } else {
        for (const auto& hit : *hits)
            io.out << hit.entryText() << '\n';
    }
    return kOk;
}

} // namespace

void addCatalogueCommands(std::vector<std::unique_ptr<Command>>& commands)
{
    // IDs and search texts are free text: "--x" is one of them.
    commands.push_back(std::make_unique<Command>(
        "name", "name [--workspace DIR] [--json] ID...",
        "the item name of each ID (ID, TAB, name); with DIR/id-name.txt before the built-in list",
        Syntax{.minPositional = 1,
               .flags = {"--json"},
               .options = {"--workspace"},
               .optionsOnce = true,
               .otherDashesArePositional = true},
        name));
    commands.push_back(std::make_unique<Command>(
        "search", "search [--workspace DIR] [--json] TEXT",
        "items whose name contains TEXT, one \"ID---name\" a line, DIR/id-name.txt first",
        Syntax{.minPositional = 1,
               .maxPositional = 1,
               .flags = {"--json"},
               .options = {"--workspace"},
               .optionsOnce = true,
               .otherDashesArePositional = true},
        search));
}

} // namespace shopkeeper::cli
