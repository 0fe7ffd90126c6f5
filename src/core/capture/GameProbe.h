#pragma once

#include "core/capture/ProcessSource.h"

#include <cstdint>
#include <string_view>

namespace shopkeeper::capture {

// Whether a process entry goes by exeName: its executable name or (Linux) its command name
// equals exeName, ignoring the case of ASCII letters.
bool matchesExeName(const ProcessEntry& entry, std::string_view exeName);

// Whether a process other than pid 0 goes by exeName; false when the list cannot be taken.
bool isProcessRunning(ProcessSource& source, std::string_view exeName);

// The id of the first process, in list order, that goes by exeName; 0 when none does.
ProcessId findProcessId(ProcessSource& source, std::string_view exeName);

// Hexadecimal text to int32, with or without a leading "0x" (exactly that, lower-case x).
// Hex digits of either case are read up to the first other character; more than eight digits
// keep the low 32 bits. 0 when the text starts with no hex digit.
std::int32_t parseHexText(std::string_view text);

} // namespace shopkeeper::capture
