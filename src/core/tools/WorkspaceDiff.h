#pragma once

#include "core/shop/SaveChange.h"
#include "core/work/Work.h"
#include "core/workspace/Workspace.h"

#include <expected>
#include <string>
#include <vector>

namespace shopkeeper::tools {

// A shop both workspaces hold, and what differs from A to B.
struct ShopDifference
{
    std::string fileName; // as A names it
    std::filesystem::path pathA;
    shop::ShopChange change;
};

// A shop of either workspace that could not be read, and why.
struct UnreadableInDiff
{
    std::string fileName;
    std::string message;
};

struct WorkspaceDiffResult
{
    std::vector<std::string> onlyInA; // by file name, in A's order
    std::vector<std::string> onlyInB;
    std::vector<ShopDifference> differing; // in A's order
    std::vector<UnreadableInDiff> unreadable;
    std::size_t compared = 0; // shops read on both sides
    bool cancelled = false;   // stopped by the caller: the lists are incomplete

    bool equal() const { return onlyInA.empty() && onlyInB.empty() && differing.empty(); }
};

// Compares the shop files of two workspaces: matched by file name, ASCII letters without case, as
// the editor finds files; for each pair the cells, page names and repair flag. A shop is read for
// what it holds, without the proof that a save would give it back (nothing is saved here); one
// whose items or blocks cannot be read is named and the others are still compared. A shop file with
// the same bytes on both sides, under tables with the same bytes, is the same shop and read once. Fails as
// the workspace check fails, for either workspace, or when a page-name table cannot be read. Each table is
// read once; the pairs are read on several threads. control's progress counts pairs, on the calling thread;
// once cancelled the result says so and holds no pair.
std::expected<WorkspaceDiffResult, workspace::LoadError>
diffWorkspaces(const workspace::Workspace& a, const workspace::Workspace& b,
               const work::WorkContext& control = {});

} // namespace shopkeeper::tools
