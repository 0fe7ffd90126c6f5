#include "gui/grid/CellEditCommand.h"

#include "gui/grid/PageGridModel.h"

namespace shopkeeper::gui {

CellEditCommand::CellEditCommand(PageGridModel* model, int row, int column, QString before, QString after)
    : QUndoCommand(QStringLiteral("编辑格子")), model_(model), row_(row), column_(column),
      before_(std::move(before)), after_(std::move(after))
{
}

void CellEditCommand::undo()
{
    if (row_ < model_->rowCount())
        model_->setCellText(row_, column_, before_);
}

void CellEditCommand::redo()
{
    if (row_ < model_->rowCount())
        model_->setCellText(row_, column_, after_);
}

bool CellEditCommand::mergeWith(const QUndoCommand* other)
{
    const auto* edit = static_cast<const CellEditCommand*>(other);
    if (edit->model_ != model_ || edit->row_ != row_ || edit->column_ != column_)
        return false;
    after_ = edit->after_;
    setObsolete(after_ == before_);
    return true;
}

} // namespace shopkeeper::gui
