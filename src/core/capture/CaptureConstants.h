#pragma once

// The fixed values of the live item ID capture. They bind every platform backend.

#include <cstdint>
#include <string_view>

namespace shopkeeper::capture {

// Process ids as the platforms give them (Windows DWORD, Linux pid_t) fit without loss.
using ProcessId = std::int64_t;

// The game client's executable name, compared ignoring the case of ASCII letters.
inline constexpr std::string_view kGameExeName = "KVX.exe";

// Virtual-key codes the hot-key table tests.
inline constexpr std::int32_t kVkShift = 16;
inline constexpr std::int32_t kVkControl = 17;
inline constexpr std::int32_t kVkAlt = 18;
inline constexpr std::int32_t kVkLeftWin = 91;
inline constexpr std::int32_t kVkF12 = 123;

// The capture's hot key: F12 with no modifiers, no second key, mode 0.
inline constexpr std::int32_t kCaptureKey = kVkF12;

// Modifier mask of a hot key, exactly these bits.
inline constexpr std::int32_t kModAlt = 1;
inline constexpr std::int32_t kModCtrl = 2;
inline constexpr std::int32_t kModShift = 4;
inline constexpr std::int32_t kModLeftWin = 8;

// Poll period of the hot-key timer; also the period for a requested period of 0 or less.
inline constexpr std::int32_t kDefaultPollPeriodMs = 10;

// Hot-key ids are this base plus the record's slot number (slots count from 1).
inline constexpr std::int32_t kHotkeyIdBase = 1000000;

// Address (in the game process) of the pointer P, and the offset of the item ID behind P.
inline constexpr std::string_view kPointerAddressHex = "1AE45B4";
inline constexpr std::string_view kItemIdOffsetHex = "1C";

// The item ID of an empty slot: a capture that reads it has found no item and fails.
inline constexpr std::int32_t kNoItemId = -1;

// The small program beside the editor that may hold the right to read the game (Linux).
inline constexpr std::string_view kProbeHelperName = "shopkeeper-probe";

// Texts shown to the user.
inline constexpr std::string_view kCaptureFailedText = "获取失败";
inline constexpr std::string_view kGameNotRunningMessage = "游戏没有运行！";
inline constexpr std::string_view kNoX11DisplayReason = "没有X11显示，无法监视F12（例如纯Wayland会话）";

} // namespace shopkeeper::capture
