#pragma once

namespace shopkeeper::gui {

// Where the open shop is in its life. Only the DocumentManager moves it; everything else (whether
// the grids take edits, whether a save is under way, which controls are on) is derived from it.
enum class DocumentState
{
    Idle,       // nothing runs: the shop takes edits
    Opening,    // a shop is being read
    Saving,     // the shop is being written (by a save, or by a batch replace)
    Confirming, // written: the save button shows its tick before the shop is read again
    Reopening,  // the written shop is being read again
};

// Nothing may change the shop unless it is idle: a change made meanwhile would be lost by the
// read that follows, or would not be in what is written.
constexpr bool isEditableIn(DocumentState state)
{
    return state == DocumentState::Idle;
}

// From the start of a save until the shop has been read again.
constexpr bool isSavingIn(DocumentState state)
{
    return state == DocumentState::Saving || state == DocumentState::Confirming ||
           state == DocumentState::Reopening;
}

} // namespace shopkeeper::gui
