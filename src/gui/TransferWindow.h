#pragma once

#include "Dialogs.h"
#include "shop/ShopPage.h"

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace shopkeeper::gui {

// Which use the data-transfer window serves.
enum class TransferMode
{
    Read,   // "读数据": the user pastes one shop's item list
    Output, // "输出数据": the pages printed as one item list
    Batch   // "批量数据": a shop file's block that could not be read, shown to the user
};
QString transferModeText(TransferMode mode);

// The data-transfer window: a text box with the item list, and read, copy and clear buttons.
class TransferWindow : public QDialog
{
    Q_OBJECT
public:
    TransferWindow(TransferMode mode, const QString& body, Dialogs& dialogs, QWidget* parent);

    TransferMode mode() const { return mode_; }
    QPlainTextEdit* editor() const { return editor_; }

    // Called with the pages of a text that read well; the window then closes.
    std::function<void(const shop::ShopPages&)> onPagesRead;

    // The read button: lays the text out over the five pages.
    void readBlock();
    void copyToClipboard();

private:
    TransferMode mode_;
    Dialogs& dialogs_;
    QPlainTextEdit* editor_;
    QPushButton* read_;
    QPushButton* copy_;
    QPushButton* clear_;
};

} // namespace shopkeeper::gui
