#pragma once

#include "core/shop/ShopDocument.h"
#include "core/shop/ShopReader.h"
#include "core/work/Work.h"
#include "core/workspace/NpcDiscovery.h"
#include "core/workspace/Workspace.h"

#include <atomic>
#include <cstddef>
#include <expected>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace shopkeeper::tools {

// How a caller follows and stops a tool that runs on a worker: progress is called with the
// number of shops done and the number of shops (0 of N once the shops are listed, then after
// each shop is read, N of N once all are visited), and the tool stops at the next shop once
// cancel becomes true. Both are called on the thread that runs the tool.
using ToolControl = work::WorkContext;

// Where an NPC shop of the workspace stands for the tools: at its place in the NPC list, named
// as the list names it.
struct ShopPlace
{
    std::size_t index = 0; // position in the NPC list, from 0
    std::filesystem::path path;
    std::string fileName;        // as the NPC list prints it
    workspace::NpcNaming naming; // naming.name is the list's name
};

using ShopRead = std::expected<shop::ShopDocument, shop::ShopReadError>;

// One NPC shop as the tools see it: at its place, read the way choosing its NPC reads it.
struct ScannedShop : ShopPlace
{
    ShopRead document;
};

// A shop a tool could not read: named, with the reason in the user's words.
struct UnreadableShop
{
    std::size_t index = 0;
    std::filesystem::path path;
    std::string fileName;
    std::string npcName;
    shop::ShopReadError error;
};

UnreadableShop unreadableShop(const ShopPlace& place, const shop::ShopReadError& error);

// Appends to into what a tool found in one shop before the shop had its place (a cell use, a
// problem: anything with shopIndex, shopFile, fileName and npcName), each given that place.
template <typename Found>
void appendPlaced(const ShopPlace& place, std::vector<Found>& found, std::vector<Found>& into)
{
    for (auto& item : found) {
        item.shopIndex = place.index;
        item.shopFile = place.path;
        item.fileName = place.fileName;
        item.npcName = place.naming.name;
        into.push_back(std::move(item));
    }
}

// Reads every NPC shop of a workspace once, in the NPC list's order, and hands each to visit.
//
// The shops, their order and their names are those of loadWorkspace and buildNpcList, with one
// difference: a shop file that cannot be read is not the end of the whole run but a shop whose
// document is the read error (it may be an NPC shop; a tool must not pass over it silently).
// Every file is read once: the shop files, the NPC files, itemshop.lst and both string tables.
// The NPC files are read on other threads while the calling one reads the shops; visit is
// called on the calling thread, in list order, once every shop is read and named. A cancelled
// run visits no shop.
// Fails as the load fails (workspace::workspaceProblem: a required file missing, a folder or a
// required file that cannot be read, itemshop.kor.str included), or when there is no NPC shop.
class WorkspaceScan
{
public:
    struct Outcome
    {
        std::size_t shopCount = 0;
        bool cancelled = false;
    };

    static std::expected<Outcome, workspace::LoadError> run(const workspace::Workspace& workspace,
                                                            const std::function<void(ScannedShop&)>& visit,
                                                            const ToolControl& control = {});

    // The same run in two steps: examine takes each shop's read as soon as it is made, on any of
    // the scan's threads and for several shops at once (it may move from the read, which is
    // dropped after it); visit then gets the shop's place and what examine made of it, in list
    // order on the calling thread. The work of a tool on one shop belongs in examine.
    template <typename Examined>
    static std::expected<Outcome, workspace::LoadError>
    run(const workspace::Workspace& workspace, const std::function<Examined(ShopRead&)>& examine,
        const std::function<void(const ShopPlace&, Examined&)>& visit, const ToolControl& control = {})
    {
        std::vector<Examined> examined;
        return scan(
            workspace, [&](std::size_t count) { examined.resize(count); },
            [&](std::size_t k, ShopRead& read) { examined[k] = examine(read); },
            [&](const ShopPlace& place) { visit(place, examined[place.index]); }, control);
    }

private:
    static std::expected<Outcome, workspace::LoadError>
    scan(const workspace::Workspace& workspace, const std::function<void(std::size_t count)>& listed,
         const std::function<void(std::size_t k, ShopRead& read)>& examine,
         const std::function<void(const ShopPlace&)>& visit, const ToolControl& control);
};

} // namespace shopkeeper::tools
