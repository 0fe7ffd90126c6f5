#pragma once

#include "core/capture/CaptureResult.h"

#include <string>
#include <string_view>

// The one line shopkeeper-probe prints on its standard output for one capture, and how the
// editor reads it back. The lines are:
//   captured ID      the item ID, signed decimal
//   not-running      no process goes by the game's name
//   no-item          the mouse points at no item (P of 0, or an ID of -1)
//   read-failed      the game could not be read
//   read-refused     the helper itself may not read the game (it lacks CAP_SYS_PTRACE)
//   unsafe REASON    the helper refused to run at all (setuid, or more rights than it needs)
namespace shopkeeper::capture {

// The line for a capture's result, ending in a line feed.
std::string probeLineOf(const CaptureResult& result);

// The line for a helper that refuses to run, ending in a line feed.
std::string probeUnsafeLine(std::string_view reason);

// The result a line stands for, with its reason; an "unsafe" line, an empty one or anything
// unknown is ReadFailed. Only the first line of output counts.
CaptureResult captureResultOfProbeLine(std::string_view output);

} // namespace shopkeeper::capture
