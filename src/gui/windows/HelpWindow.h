#pragma once

#include "gui/widgets/FramelessWindow.h"

#include <QDialog>

namespace shopkeeper::gui {

// The usage text, in a modal frameless window with a close picture.
class HelpWindow : public QDialog, public FramelessWindow
{
    Q_OBJECT
public:
    // The text names workspaceFolder as the folder id-name.txt is read from.
    HelpWindow(const QString& workspaceFolder, QWidget* parent);

    static QString usageText(const QString& workspaceFolder);
    static const QStringList& headings();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace shopkeeper::gui
