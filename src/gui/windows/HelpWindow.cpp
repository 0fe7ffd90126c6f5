#include "gui/windows/HelpWindow.h"

#include "gui/settings/Settings.h"
#include "gui/widgets/WindowPlacement.h"
#include "ui_HelpWindow.h"

#include <QPlainTextEdit>

namespace shopkeeper::gui {

const QStringList& HelpWindow::headings()
{
    static const QStringList list = {
        QStringLiteral("-----批量修改"), QStringLiteral("-----单文件修改"),
        QStringLiteral("1.主窗口"),      QStringLiteral("2.预览窗口"),
        QStringLiteral("3.搜索窗口"),    QStringLiteral("4.加载外置的物品ID表"),
    };
    return list;
}

QString HelpWindow::usageText(const QString& workspaceFolder)
{
    const auto& h = headings();
    return h[0] +
           QStringLiteral("\n"
                          "用解包工具从游戏数据包中取出 itemshop 和 npc 两个文件夹，放在工作文件夹里"
                          "（起初是本程序所在的文件夹；点击标题栏中的工作目录可选择其他文件夹，"
                          "也可以在启动时指定）。\n"
                          "点“载入NPC”，从下拉列表中选择一个NPC，就会打开他出售物品的商店。\n"
                          "在表格中修改物品ID，用“编辑页名称”修改各页的名称，最后点“保存文件”。\n"
                          "勾选“可修理装备”后，这个NPC就能修理装备。\n\n") +
           h[1] +
           QStringLiteral("\n"
                          "不需要工作文件夹：把一个商店 [sell item] 与 [/sell item] 之间的物品数据粘贴到"
                          "“读取数据”打开的窗口里，点“读取”即可分页显示。\n"
                          "一个商店最多 5 页。\n\n") +
           h[2] +
           QStringLiteral("\n"
                          "五个表格对应商店的五页，每行 7 格。空格子就是空位。\n"
                          "“输出数据”会删除空行，把空格子填成 -1，然后给出可以复制回解包工具的物品数据。\n"
                          "勾选“F12获取ID”后，在游戏里把鼠标指向物品并按 F12，可得到它的ID并复制到剪贴板；"
                          "再勾选“ID填充到表格”，这个ID还会填进当前选中的空格子。\n"
                          "F12获取ID需要游戏客户端（KVX.exe）在本机运行。Windows：直接运行即可。"
                          "Linux（Wine）：需要X11显示（纯Wayland会话无法监视F12），"
                          "并且需要读取游戏内存的权限。编辑器自己不能读取时，"
                          "会请旁边的小程序 shopkeeper-probe 代读：它只找名为 KVX.exe 的进程、"
                          "只读鼠标所指物品的ID。只给这个小程序权限（每次编译或安装后重新设置）："
                          "sudo setcap cap_sys_ptrace=ep shopkeeper-probe。"
                          "不要给编辑器本身设置这个权限；把 kernel.yama.ptrace_scope 设为0"
                          "虽然也行，但会让本用户的所有程序都能读取彼此的内存。"
                          "获取失败时，“物品ID”框的提示和页标签右边的状态栏会说明原因和解决办法"
                          "（例如没有权限时要运行的命令）。\n"
                          "Ctrl+Z 撤销，Ctrl+Y 重做，Ctrl+C / Ctrl+V 复制粘贴格子，Ctrl+S 保存。\n\n") +
           h[3] +
           QStringLiteral("\n"
                          "把五页的物品ID显示成物品名称，排列与表格相同，方便核对。\n\n") +
           h[4] +
           QStringLiteral(
               "\n"
               "输入物品名称的一部分（至少两个字）查找物品ID。先查自己的物品表，再查内置的物品表。\n\n") +
           h[5] +
           QStringLiteral("\n"
                          "在工作文件夹里放一个 id-name.txt，每行一个物品：ID、TAB、名称，"
                          "保存为 GBK 或 UTF-8 编码的文本。"
                          "勾选“加载外置ID”后，它会优先于内置的物品表。\n"
                          "现在的工作文件夹：") +
           workspaceFolder + QStringLiteral("\n");
}

HelpWindow::HelpWindow(const QString& workspaceFolder, QWidget* parent)
    : QDialog(parent), FramelessWindow(this)
{
    Ui::HelpWindow ui;
    ui.setupUi(this);
    setUpFrame(QStringLiteral("使用帮助"), {QStringLiteral("关闭按钮S"), 371});
    ui.超级编辑框1->setPlainText(usageText(workspaceFolder));
    settings::rememberPosition(this, QStringLiteral("help"));
}

void HelpWindow::showEvent(QShowEvent* event)
{
    if (!settings::restoreRememberedPosition(this, QStringLiteral("help")))
        centreOver(this, parentWidget());
    QDialog::showEvent(event);
}

} // namespace shopkeeper::gui
