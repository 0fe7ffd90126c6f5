#include "core/capture/GameProbe.h"

namespace shopkeeper::capture {

namespace {

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool matchesExeName(const ProcessEntry& entry, std::string_view exeName)
{
    return equalsIgnoringAsciiCase(entry.exeName, exeName) ||
           (!entry.commandName.empty() && equalsIgnoringAsciiCase(entry.commandName, exeName));
}

bool isProcessRunning(ProcessSource& source, std::string_view exeName)
{
    return findProcessId(source, exeName) != 0;
}

ProcessId findProcessId(ProcessSource& source, std::string_view exeName)
{
    const auto processes = source.listProcesses();
    if (!processes)
        return 0;
    for (const auto& entry : *processes) {
        if (entry.pid != 0 && matchesExeName(entry, exeName))
            return entry.pid;
    }
    return 0;
}

std::int32_t parseHexText(std::string_view text)
{
    if (text.starts_with("0x"))
        text.remove_prefix(2);
    std::uint32_t value = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            break;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

} // namespace shopkeeper::capture
