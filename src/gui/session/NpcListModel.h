#pragma once

#include <QAbstractListModel>
#include <filesystem>
#include <vector>

namespace shopkeeper::gui {

// The NPC list of the combo box: the prompt first (once the shop files are
// known), then one row per NPC shop, named after its NPC.
class NpcListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void clear();
    void showPrompt();
    void append(std::filesystem::path shopFile, const QString& npcName);

    // The shop file of row (1 for the first NPC), or nothing for the prompt and bad rows.
    const std::filesystem::path* shopFile(int row) const;

private:
    struct Entry
    {
        std::filesystem::path shopFile;
        QString name;
    };
    bool prompt_ = false;
    std::vector<Entry> entries_;
};

} // namespace shopkeeper::gui
