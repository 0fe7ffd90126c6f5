#include "GridCommands.h"

#include <QUndoStack>

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
    return true;
}

GridStateCommand::GridStateCommand(const QString& text, std::vector<Change> changes)
    : QUndoCommand(text), changes_(std::move(changes))
{
}

void GridStateCommand::undo()
{
    for (auto& change : changes_)
        change.model->setState(change.before);
}

void GridStateCommand::redo()
{
    for (auto& change : changes_)
        change.model->setState(change.after);
}

void recordGridChange(QUndoStack* stack, const QString& text, const std::vector<PageGridModel*>& models,
                      const std::function<void()>& change)
{
    std::vector<GridState> before;
    for (auto* model : models)
        before.push_back(model->state());
    change();
    std::vector<GridStateCommand::Change> changes;
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (!(models[i]->state() == before[i]))
            changes.push_back({models[i], before[i], models[i]->state()});
    }
    if (changes.empty() || !stack)
        return;
    stack->push(new GridStateCommand(text, std::move(changes)));
}

} // namespace shopkeeper::gui
