#pragma once

#include <QString>
#include <QUndoCommand>

namespace shopkeeper::gui {

class PageGridModel;

// Typing into one cell. Consecutive edits of the same cell merge into one step, and a step
// that brings the cell back to the text it had is no change at all: it drops out of the stack.
class CellEditCommand : public QUndoCommand
{
public:
    CellEditCommand(PageGridModel* model, int row, int column, QString before, QString after);
    void undo() override;
    void redo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    PageGridModel* model_;
    int row_;
    int column_;
    QString before_;
    QString after_;
};

} // namespace shopkeeper::gui
