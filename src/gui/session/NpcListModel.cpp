#include "gui/session/NpcListModel.h"

#include "core/workspace/Workspace.h"
#include "gui/widgets/QtText.h"

namespace shopkeeper::gui {

int NpcListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : (prompt_ ? 1 : 0) + static_cast<int>(entries_.size());
}

QVariant NpcListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int row = index.row() - (prompt_ ? 1 : 0);
    if (row < 0)
        return qs(workspace::kChooseNpcPrompt);
    return entries_[static_cast<std::size_t>(row)].name;
}

void NpcListModel::clear()
{
    beginResetModel();
    prompt_ = false;
    entries_.clear();
    endResetModel();
}

void NpcListModel::showPrompt()
{
    if (prompt_)
        return;
    beginInsertRows({}, 0, 0);
    prompt_ = true;
    endInsertRows();
}

void NpcListModel::append(std::filesystem::path shopFile, const QString& npcName)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    entries_.push_back({std::move(shopFile), npcName});
    endInsertRows();
}

const std::filesystem::path* NpcListModel::shopFile(int row) const
{
    const int entry = row - (prompt_ ? 1 : 0);
    if (!prompt_ || entry < 0 || entry >= static_cast<int>(entries_.size()))
        return nullptr;
    return &entries_[static_cast<std::size_t>(entry)].shopFile;
}

} // namespace shopkeeper::gui
