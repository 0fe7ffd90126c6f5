#include "gui/session/EditorState.h"

#include <gtest/gtest.h>

using namespace shopkeeper::gui;

namespace {

// The controls as a string of 0/1 in the order load, NPC list, save, repair, page names,
// add rows, clear page, clear all, read, output, external table, then after a blank the
// workspace chooser, the capture's fill and ID boxes, the grids, and the tools where used,
// replace and check.
std::string flags(const ActionStates& a)
{
    std::string out;
    for (bool on : {a.load, a.npcList, a.save, a.repair, a.editPageNames, a.addRows, a.clearPage, a.clearAll,
                    a.read, a.output, a.externalTable})
        out += on ? '1' : '0';
    out += ' ';
    for (bool on : {a.chooser, a.fillBox, a.idBox, a.grids, a.whereUsed, a.replace, a.check})
        out += on ? '1' : '0';
    return out;
}

} // namespace

TEST(EditorActions, EveryControlFollowsTheModeAndTheBusyStates)
{
    struct Row
    {
        const char* what;
        EditorState state;
        const char* expected;
    };
    const auto ws = EditorMode::Workspace;
    const auto pasted = EditorMode::PastedList;
    const Row rows[] = {
        // mode, load tried, loaded, listing, saving, previewing, shop bound, open failed, capturing
        {"new window", {ws, false, false, false, false, false, false, false}, "10000111111 1001111"},
        {"missing files", {ws, true, false, false, false, false, false, false}, "11100111111 1001111"},
        {"listing", {ws, true, true, true, false, false, false, false}, "00011111111 1001111"},
        {"list ready", {ws, true, true, false, false, false, false, false}, "11111111111 1001111"},
        {"shop open", {ws, true, true, false, false, false, true, false}, "11111111111 1001111"},
        {"shop failed to open", {ws, true, true, false, false, false, false, true}, "11011111111 1001111"},
        {"saving", {ws, true, true, false, true, false, true, false}, "00000000001 0000101"},
        // A preview locks what changes the pages; afterwards all comes back, the save too.
        {"previewing", {ws, true, true, false, false, true, true, false}, "10011100000 0001101"},
        {"pasted list", {pasted, false, false, false, false, false, false, false}, "10000111111 1001111"},
        {"capturing", {ws, true, true, false, false, false, true, false, true}, "11111111111 1111111"},
        {"pasted list previewing",
         {pasted, false, false, false, false, true, false, false},
         "10000100000 0001101"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(flags(actionsFor(row.state)), row.expected) << row.what;
}
