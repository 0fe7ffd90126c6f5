#include "gui/windows/ChangeLines.h"

#include "gui/widgets/QtText.h"

#include <algorithm>

namespace shopkeeper::gui {

namespace {

enum class Kind
{
    Problem,
    Cell,
    Name,
    Repair,
    TableLine
};

struct Line
{
    std::size_t shop = 0;
    Kind kind = Kind::Cell;
    std::size_t index = 0;
};

QString yesNo(bool on)
{
    return on ? QStringLiteral("是") : QStringLiteral("否");
}

} // namespace

QStringList ChangeLines::headers(bool withShop, const QString& before, const QString& after)
{
    QStringList headers;
    if (withShop)
        headers << QStringLiteral("商店");
    headers << QStringLiteral("位置") << before << after;
    return headers;
}

QString ChangeLines::cellPlace(const shop::CellAt& at)
{
    return QStringLiteral("第%1页 %2行 %3列").arg(at.page + 1).arg(at.row + 1).arg(at.column + 1);
}

QString ChangeLines::cellText(const std::string& text, const NameOf& nameOf)
{
    if (text.empty())
        return QStringLiteral("（空）");
    const QString id = qs(text);
    if (text == "-1")
        return id;
    const QString name = nameOf ? nameOf(id) : QString();
    return name.isEmpty() ? id : id + QStringLiteral("  ") + name;
}

QString ChangeLines::counts(const shop::ShopChange& change)
{
    QStringList parts;
    const auto fills = static_cast<std::size_t>(
        std::ranges::count_if(change.cells, [](const shop::CellChange& cell) { return cell.fill; }));
    if (change.cells.size() > fills)
        parts << QStringLiteral("%1 个格子").arg(change.cells.size() - fills);
    if (fills > 0)
        parts << QStringLiteral("%1 个空格填充 -1").arg(fills);
    if (!change.names.empty())
        parts << QStringLiteral("%1 个页名称").arg(change.names.size());
    if (change.repairable)
        parts << QStringLiteral("修理装备");
    if (!change.tableLines.empty())
        parts << QStringLiteral("%1 行页名称表").arg(change.tableLines.size());
    return parts.join(QStringLiteral("、"));
}

PlaceListModel::Source ChangeLines::source(std::shared_ptr<const std::vector<ShopChangeLines>> shops,
                                           bool withShop, NameOf nameOf)
{
    auto lines = std::make_shared<std::vector<Line>>();
    for (std::size_t s = 0; s < shops->size(); ++s) {
        const auto& shop = (*shops)[s];
        if (!shop.problem.isEmpty())
            lines->push_back({s, Kind::Problem, 0});
        for (std::size_t i = 0; i < shop.change.cells.size(); ++i)
            lines->push_back({s, Kind::Cell, i});
        for (std::size_t i = 0; i < shop.change.names.size(); ++i)
            lines->push_back({s, Kind::Name, i});
        if (shop.change.repairable)
            lines->push_back({s, Kind::Repair, 0});
        for (std::size_t i = 0; i < shop.change.tableLines.size(); ++i)
            lines->push_back({s, Kind::TableLine, i});
    }
    PlaceListModel::Source source;
    source.count = lines->size();
    const int first = withShop ? 1 : 0;
    source.text = [shops, lines, first, nameOf = std::move(nameOf)](std::size_t item, int column) -> QString {
        const auto& line = (*lines)[item];
        const auto& shop = (*shops)[line.shop];
        if (column < first)
            return shop.fileName;
        const int part = column - first; // 0 where, 1 before, 2 after
        switch (line.kind) {
        case Kind::Problem:
            return part == 0 ? QStringLiteral("（无法显示）") : part == 1 ? shop.problem : QString();
        case Kind::Cell: {
            const auto& cell = shop.change.cells[line.index];
            if (part == 0)
                return cellPlace(cell.at);
            if (part == 1)
                return cellText(cell.before, nameOf);
            // An empty slot that the save writes out as "-1".
            return cellText(cell.after, nameOf) + (cell.fill ? QStringLiteral("（填充空格）") : QString());
        }
        case Kind::Name: {
            const auto& name = shop.change.names[line.index];
            return part == 0 ? QStringLiteral("第%1页 页名称").arg(name.page + 1)
                             : qs(part == 1 ? name.before : name.after);
        }
        case Kind::Repair:
            return part == 0
                       ? QStringLiteral("可修理装备")
                       : yesNo(part == 1 ? shop.change.repairable->first : shop.change.repairable->second);
        case Kind::TableLine: {
            const auto& table = shop.change.tableLines[line.index];
            if (part == 0)
                return QStringLiteral("页名称表 第%1行").arg(table.line + 1);
            const auto& text = part == 1 ? table.before : table.after;
            return text.empty() && part == 1 ? QStringLiteral("（新增）") : qs(text);
        }
        }
        return {};
    };
    source.muted = [shops, lines](std::size_t item) {
        const auto& line = (*lines)[item];
        return line.kind == Kind::Cell && (*shops)[line.shop].change.cells[line.index].fill;
    };
    source.place = [shops, lines](std::size_t item) {
        const auto& line = (*lines)[item];
        const auto& shop = (*shops)[line.shop];
        Place place{shop.shopFile, std::nullopt, std::nullopt};
        if (line.kind == Kind::Cell)
            place.cell = shop.change.cells[line.index].at;
        else if (line.kind == Kind::Name)
            place.page = shop.change.names[line.index].page;
        return place;
    };
    return source;
}

} // namespace shopkeeper::gui
