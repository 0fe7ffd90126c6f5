#include "cli/CatalogueCommands.h"

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

struct CatalogueArgs
{
    std::optional<std::string> workspace;
    bool json = false;
    std::vector<std::string> rest; // IDs or the search text; "-1" is an ID, not an option
};

std::optional<CatalogueArgs> parseArgs(const std::vector<std::string>& args)
{
    CatalogueArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            parsed.json = true;
        } else if (args[i] == "--workspace") {
            if (i + 1 >= args.size() || parsed.workspace)
                return std::nullopt;
            parsed.workspace = args[++i];
        } else {
            parsed.rest.push_back(args[i]);
        }
    }
    return parsed;
}

int usageError(const Command& command, Streams io)
{
    io.err << "usage: shopkeeper-cli " << command.usage() << "\n";
    return kUsage;
}

// The catalogue as the editor has it with 外置ID选择框 checked (--workspace) or not.
std::optional<catalogue::ItemCatalogue> openCatalogue(const CatalogueArgs& args, Streams io, int& exitCode)
{
    catalogue::ItemCatalogue catalogue;
    if (!args.workspace)
        return catalogue;
    if (auto ok = catalogue.loadExternalTable(io::pathFromUtf8(*args.workspace)); !ok) {
        io.err << ok.error().title << ": " << ok.error().message << "\n";
        exitCode =
            ok.error().reason == catalogue::ExternalTableError::Reason::Missing ? kMissingFiles : kBadInput;
        return std::nullopt;
    }
    return catalogue;
}

std::string dumped(const json& value)
{
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

class NameCommand : public Command
{
public:
    std::string name() const override { return "name"; }
    std::string usage() const override { return "name [--workspace DIR] [--json] ID..."; }
    std::string summary() const override
    {
        return "the item name of each ID (ID, TAB, name); with DIR/id-name.txt before the built-in list";
    }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        const auto parsed = parseArgs(args);
        if (!parsed || parsed->rest.empty())
            return usageError(*this, io);
        int exitCode = kOk;
        const auto catalogue = openCatalogue(*parsed, io, exitCode);
        if (!catalogue)
            return exitCode;
        json out = json::array();
        for (const auto& id : parsed->rest) {
            const std::string itemName = catalogue->idToName(id);
            if (parsed->json)
                out.push_back({{"id", id}, {"name", itemName}});
            else
                io.out << id << '\t' << itemName << '\n';
        }
        if (parsed->json)
            io.out << dumped(out) << "\n";
        return kOk;
    }
};

class SearchCommand : public Command
{
public:
    std::string name() const override { return "search"; }
    std::string usage() const override { return "search [--workspace DIR] [--json] TEXT"; }
    std::string summary() const override
    {
        return "items whose name contains TEXT, one \"ID---name\" a line, DIR/id-name.txt first";
    }
    int run(const std::vector<std::string>& args, Streams io) override
    {
        const auto parsed = parseArgs(args);
        if (!parsed || parsed->rest.size() != 1)
            return usageError(*this, io);
        // The text is checked before the table is read, as the window does.
        if (!catalogue::isSearchTextLongEnough(parsed->rest[0])) {
            io.err << catalogue::kSearchTooShortMessage << "\n";
            return kBadInput;
        }
        int exitCode = kOk;
        const auto catalogue = openCatalogue(*parsed, io, exitCode);
        if (!catalogue)
            return exitCode;
        auto hits = catalogue::searchAllItems(*catalogue, parsed->rest[0]);
        if (!hits) {
            io.err << hits.error().message << "\n";
            return kBadInput;
        }
        if (parsed->json) {
            json out = json::array();
            for (const auto& hit : *hits)
                out.push_back({{"id", hit.id}, {"name", hit.name}});
            io.out << dumped(out) << "\n";
        } else {
            for (const auto& hit : *hits)
                io.out << hit.entryText() << '\n';
        }
        return kOk;
    }
};

} // namespace

void addCatalogueCommands(std::vector<std::unique_ptr<Command>>& commands)
{
    commands.push_back(std::make_unique<NameCommand>());
    commands.push_back(std::make_unique<SearchCommand>());
}

} // namespace shopkeeper::cli
