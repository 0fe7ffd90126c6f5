#include "core/capture/ItemCapture.h"

#include "core/capture/GameProbe.h"

namespace shopkeeper::capture {

namespace {

using Outcome = CaptureResult::Outcome;
using Reason = CaptureResult::Reason;

CaptureResult failedBy(ReadError error)
{
    return {error == ReadError::Refused ? Outcome::ReadRefused : Outcome::ReadFailed, std::nullopt};
}

// P, then the ID behind it, both from the one process pid.
CaptureResult readItemId(ProcessSource& processes, ProcessId pid)
{
    const auto memory = processes.openForReading(pid);
    if (!memory)
        return {Outcome::ReadFailed, std::nullopt};
    const auto pointer = memory->readInt32(static_cast<std::uint32_t>(parseHexText(kPointerAddressHex)));
    // A failed first read stops here; read on with P = -1 it could only hit address 27.
    if (!pointer)
        return failedBy(pointer.error());
    const std::uint32_t address =
        static_cast<std::uint32_t>(*pointer) + static_cast<std::uint32_t>(parseHexText(kItemIdOffsetHex));
    const auto id = memory->readInt32(address);
    // The game keeps P at 0 while the mouse points at no item, so the read at 0x1C fails then.
    if (!id && id.error() == ReadError::Failed && *pointer == 0)
        return {Outcome::ReadFailed, std::nullopt, Reason::NothingUnderPointer};
    if (!id)
        return failedBy(id.error());
    if (*id == kNoItemId)
        return {Outcome::ReadFailed, std::nullopt, Reason::NothingUnderPointer};
    return {Outcome::Captured, *id};
}

// The helper's path, quoted for a shell when it holds anything but the usual path characters.
std::string shellWord(const std::string& path)
{
    const bool plain =
        !path.empty() && path.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                "0123456789/._-+") == std::string::npos;
    if (plain)
        return path;
    std::string quoted = "'";
    for (const char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string grantCommand(const std::string& helperPath)
{
    return "sudo setcap cap_sys_ptrace=ep " + shellWord(helperPath);
}

} // namespace

std::string CaptureResult::idText() const
{
    switch (outcome) {
    case Outcome::Captured:
        return itemId ? std::to_string(*itemId) : std::string(kCaptureFailedText);
    case Outcome::ReadFailed:
    case Outcome::ReadRefused:
        return std::string(kCaptureFailedText);
    case Outcome::GameNotRunning:
        break;
    }
    return {};
}

std::string CaptureResult::problemText() const
{
    if (outcome == Outcome::GameNotRunning)
        return "游戏没有运行（找不到" + std::string(kGameExeName) +
               "进程），F12获取已关闭。请先启动游戏，再勾选“F12获取ID”。";
    if (outcome == Outcome::Captured)
        return {};
    const std::string helper = helperPath.empty() ? std::string(kProbeHelperName) : helperPath;
    switch (reason) {
    case Reason::NothingUnderPointer:
        return "鼠标下没有物品：请在游戏里把鼠标指向一个物品，再按F12。";
    case Reason::NoRight:
        return "本程序没有读取游戏内存的权限。请以运行游戏的用户（和同样的权限）运行本程序。";
    case Reason::HelperMissing:
        return "本程序没有读取游戏内存的权限，也找不到代读的小程序" + std::string(kProbeHelperName) +
               (helperPath.empty() ? std::string() : "（应在" + helperPath + "）") +
               "。请把它与本程序装在同一个文件夹，并只给它这一项权限：" + grantCommand(helper);
    case Reason::HelperLacksRight:
        return "代读的小程序" + std::string(kProbeHelperName) +
               "没有读取游戏内存的权限。请给它这一项权限（每次编译或安装它之后都要重新设置）：" +
               grantCommand(helper);
    case Reason::HelperUnsafe:
        return "代读的小程序" + std::string(kProbeHelperName) +
               "拒绝运行：它被设成了set-user-ID，或者拥有cap_sys_ptrace以外的权限（例如以root运行）。"
               "请去掉这些权限，只给它这一项：sudo chmod u-s,g-s " +
               shellWord(helper) + " && " + grantCommand(helper);
    case Reason::Unknown:
        break;
    }
    return {};
}

CaptureResult captureItemId(ProcessSource& processes)
{
    const ProcessId pid = findProcessId(processes, kGameExeName);
    if (pid == 0)
        return {Outcome::GameNotRunning, std::nullopt};
    auto direct = readItemId(processes, pid);
    if (direct.outcome != Outcome::ReadRefused)
        return direct;
    if (auto helped = processes.captureByHelper())
        return *helped;
    direct.reason = Reason::NoRight;
    return direct;
}

std::optional<std::string> captureSwitchOnProblem(ProcessSource& processes, const KeyStateSource& keys)
{
    if (!keys.available())
        return std::string(kGameNotRunningMessage) + "\n" + keys.unavailableReason();
    if (!isProcessRunning(processes, kGameExeName))
        return std::string(kGameNotRunningMessage);
    return std::nullopt;
}

} // namespace shopkeeper::capture
