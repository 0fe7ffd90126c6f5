#pragma once

class QCoreApplication;

namespace shopkeeper::gui {

// Loads Qt's own Chinese translations, so that the buttons of message and input boxes speak
// the window's language ("是/否", "确定/取消"). True when they were found.
bool installQtTranslations(QCoreApplication& app);

} // namespace shopkeeper::gui
