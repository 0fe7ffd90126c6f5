#pragma once

#include "gui/session/ShopSession.h"
#include "gui/session/TransferMode.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FramelessWindow.h"

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace shopkeeper::gui {

// Why a pasted text without any TAB was not read.
inline const QString kNoTabMessage =
    QStringLiteral("没有读取任何数据：文本中没有制表符（TAB）。\n请粘贴商店文件中 [sell item] 与 "
                   "[/sell item] 之间的物品数据，物品之间以TAB分隔。");

// The data-transfer window: a text box with the item list, and read, copy and clear buttons.
// In the output mode the box shows one grid row per line, while the copy button puts the
// item list on the clipboard exactly as it is written.
class TransferWindow : public QDialog, public FramelessWindow
{
    Q_OBJECT
public:
    TransferWindow(TransferMode mode, const QString& body, Dialogs& dialogs, QWidget* parent);

    TransferMode mode() const { return mode_; }
    QPlainTextEdit* editor() const { return editor_; }

    // Reads a text into the pages; the window closes when it read well.
    std::function<ShopSession::BlockResult(const QString&)> reader;

    // The read button: lays the text out over the five pages.
    void readBlock();
    void copyToClipboard();

    // The item list laid out one grid row per line, each further page on a line of its own.
    static QString rowsPerLine(const QString& block);

protected:
    void showEvent(QShowEvent* event) override;

private:
    TransferMode mode_;
    Dialogs& dialogs_;
    QString exact_;
    QPlainTextEdit* editor_;
    QPushButton* read_;
    QPushButton* copy_;
    QPushButton* clear_;
};

} // namespace shopkeeper::gui
