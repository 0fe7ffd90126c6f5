#pragma once

#include "gui/widgets/FramelessWindow.h"

#include <QDialog>

namespace shopkeeper::gui {

// The usage text, in a modal frameless window with a close picture.
class HelpWindow : public QDialog, public FramelessWindow
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent);

    static QString usageText();
    static const QStringList& headings();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace shopkeeper::gui
