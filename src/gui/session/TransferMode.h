#pragma once

#include <QString>

namespace shopkeeper::gui {

// Which use the data-transfer window serves.
enum class TransferMode
{
    Read,   // "读数据": the user pastes one shop's item list
    Output, // "输出数据": the pages printed as one item list
    Batch   // "批量数据": the block of the shop file being opened
};

inline QString transferModeText(TransferMode mode)
{
    switch (mode) {
    case TransferMode::Read:
        return QStringLiteral("读数据");
    case TransferMode::Output:
        return QStringLiteral("输出数据");
    case TransferMode::Batch:
        return QStringLiteral("批量数据");
    }
    return {};
}

} // namespace shopkeeper::gui
