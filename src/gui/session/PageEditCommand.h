#pragma once

#include "core/shop/ShopDocument.h"

#include <QUndoCommand>
#include <functional>
#include <utility>
#include <vector>

namespace shopkeeper::gui {

class ShopSession;

// A change to whole pages (rows added, pages cleared, a paste, a delete, the output's tidying).
// The first redo runs the document's operation; the pages it touched are kept as they were
// before and after, so undo and later redos put whole pages back. An operation that reported
// no change is obsolete and never enters the stack.
class PageEditCommand : public QUndoCommand
{
public:
    using Change = std::function<shop::DocumentChanges(shop::ShopDocument&)>;
    PageEditCommand(ShopSession& session, const QString& text, std::vector<int> pages, Change change);
    void undo() override;
    void redo() override;

private:
    ShopSession& session_;
    std::vector<int> pages_;
    Change change_;
    bool done_ = false;
    std::vector<std::pair<int, shop::PageSnapshot>> before_;
    std::vector<std::pair<int, shop::PageSnapshot>> after_;
};

// Typing into one cell (or a captured ID filled in), pushed once the document took the value:
// the first redo finds the cell as it is. Consecutive edits of the same cell merge into one
// step, and a step that brings the cell back to the text it had leaves the stack.
class CellEditCommand : public QUndoCommand
{
public:
    CellEditCommand(ShopSession& session, int page, shop::CellPosition at, std::string before,
                    std::string after);
    void undo() override;
    void redo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    ShopSession& session_;
    int page_;
    shop::CellPosition at_;
    std::string before_;
    std::string after_;
};

} // namespace shopkeeper::gui
