// The Windows capture backend against a real process, built with MinGW-w64 and run under Wine
// (or on Windows). The program is its own stand-in game: it copies itself to KVX.exe and starts
// that copy as "child", which reserves the page at 0x1AE4000 and stores P at 0x1AE45B4 and the
// item ID at P + 0x1C.
#include "core/capture/CaptureBackends.h"
#include "core/capture/GameProbe.h"
#include "core/capture/HotkeyTable.h"
#include "core/capture/ItemCapture.h"
#include "core/capture/WindowsKeyState.h"
#include "core/capture/WindowsProcessSource.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace shopkeeper::capture;

namespace {

constexpr std::uintptr_t kPage = 0x1AE4000;
constexpr std::uint32_t kPointerAddress = 0x1AE45B4;

int checks = 0;
int failures = 0;

void check(bool ok, const char* what, long long got = 0)
{
    ++checks;
    if (!ok) {
        ++failures;
        std::printf("FAILED: %s (got %lld)\n", what, got);
    }
}

int runChild(char** argv)
{
    // A reservation starts on a 64 KiB boundary, so the region may begin below the page.
    void* region =
        VirtualAlloc(reinterpret_cast<void*>(kPage), 0x1000, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (region == nullptr || reinterpret_cast<std::uintptr_t>(region) > kPage)
        return 4;
    const auto pointer = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 16));
    const auto itemId = static_cast<std::int32_t>(std::strtol(argv[3], nullptr, 10));
    std::memcpy(reinterpret_cast<void*>(std::uintptr_t{kPointerAddress}), &pointer, 4);
    if (pointer >= kPage && pointer + 0x1C + 4 <= kPage + 0x1000)
        std::memcpy(reinterpret_cast<void*>(std::uintptr_t{pointer} + 0x1C), &itemId, 4);
    const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]);
    const HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
    if (ready == nullptr || quit == nullptr)
        return 5;
    SetEvent(ready);
    WaitForSingleObject(quit, 60000);
    return 0;
}

// One stand-in game process, ended when the object goes.
class GameChild
{
public:
    GameChild(const std::string& exe, std::uint32_t pointer, std::int32_t itemId)
    {
        static int serial = 0;
        const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
        const std::string readyName = "shopkeeper-ready-" + tag;
        const std::string quitName = "shopkeeper-quit-" + tag;
        ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
        quit_ = CreateEventA(nullptr, TRUE, FALSE, quitName.c_str());
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", pointer);
        std::string command =
            "\"" + exe + "\" child " + hex + " " + std::to_string(itemId) + " " + readyName + " " + quitName;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_)) {
            std::printf("CreateProcess of %s failed: %lu\n", exe.c_str(), GetLastError());
            return;
        }
        const HANDLE waitFor[2] = {ready_, process_.hProcess};
        ready = WaitForMultipleObjects(2, waitFor, FALSE, 20000) == WAIT_OBJECT_0;
        if (!ready)
            std::printf("the KVX.exe child did not get ready (VirtualAlloc at 0x1AE4000 refused?)\n");
    }
    ~GameChild()
    {
        stop();
        CloseHandle(ready_);
        CloseHandle(quit_);
    }
    GameChild(const GameChild&) = delete;
    GameChild& operator=(const GameChild&) = delete;

    ProcessId pid() const { return ProcessId{process_.dwProcessId}; }

    void stop()
    {
        if (process_.hProcess == nullptr)
            return;
        SetEvent(quit_);
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        process_ = {};
    }

    bool ready = false;

private:
    PROCESS_INFORMATION process_{};
    HANDLE ready_ = nullptr;
    HANDLE quit_ = nullptr;
};

// The 4 bytes at address in process pid; -1 when they cannot be read.
long long readAt(WindowsProcessSource& source, ProcessId pid, std::uint32_t address)
{
    const auto memory = source.openForReading(pid);
    if (!memory)
        return -1;
    return memory->readInt32(address).value_or(-1);
}

bool listedAs(WindowsProcessSource& source, ProcessId pid, const std::string& name)
{
    const auto all = source.listProcesses();
    if (!all)
        return false;
    for (const auto& entry : *all) {
        if (entry.pid == pid)
            return entry.exeName == name;
    }
    return false;
}

int runParent()
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "shopkeeper-capture-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string kvx = dir + "\\KVX.exe";
    if (!CopyFileA(self, kvx.c_str(), FALSE)) {
        std::printf("WindowsCaptureTest: cannot copy itself to %s\n", kvx.c_str());
        return 1;
    }

    WindowsProcessSource source;
    check(!isProcessRunning(source, kGameExeName), "no KVX.exe before the test starts one");
    {
        GameChild game(kvx, 0x1AE4800, 4242);
        check(game.ready, "the game child got ready");
        check(listedAs(source, game.pid(), "KVX.exe"), "Toolhelp32 lists the child as KVX.exe");
        check(isProcessRunning(source, kGameExeName), "isProcessRunning(KVX.exe)");
        check(isProcessRunning(source, "kvx.EXE"), "isProcessRunning ignores ASCII case");
        check(findProcessId(source, kGameExeName) == game.pid(), "findProcessId gives the child's id",
              findProcessId(source, kGameExeName));
        const auto pointer = readAt(source, game.pid(), kPointerAddress);
        check(pointer == 0x1AE4800, "P read at 0x1AE45B4", pointer);
        const auto id = readAt(source, game.pid(), 0x1AE4800 + 0x1C);
        check(id == 4242, "item ID read at P + 0x1C", id);
        check(readAt(source, game.pid(), 0x1000) == -1, "unmapped memory is a failed read");
        const auto result = captureItemId(source);
        check(result.outcome == CaptureResult::Outcome::Captured && result.idText() == "4242",
              "captureItemId gives 4242", result.itemId.value_or(0));

        const ProcessId gone = game.pid();
        game.stop();
        check(!isProcessRunning(source, kGameExeName), "the ended child no longer runs");
        check(captureItemId(source).outcome == CaptureResult::Outcome::GameNotRunning,
              "capture after the game ended: not running");
        check(readAt(source, gone, kPointerAddress) == -1, "an ended process cannot be read");
    }
    {
        GameChild game(kvx, 0, 4242);
        check(game.ready, "the game child with P = 0 got ready");
        const auto result = captureItemId(source);
        check(result.outcome == CaptureResult::Outcome::ReadFailed && result.idText() == "获取失败",
              "P = 0 gives a failed capture", result.itemId.value_or(0));
    }

    // The own process.
    void* own = VirtualAlloc(reinterpret_cast<void*>(std::uintptr_t{0x2A00000}), 0x1000,
                             MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    check(own != nullptr, "VirtualAlloc in the own process");
    if (own != nullptr) {
        const std::int32_t value = -99;
        std::memcpy(own, &value, 4);
        const auto read = readAt(source, ProcessId{GetCurrentProcessId()},
                                 static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(own)));
        check(read == -99, "a read of the own process", read);
    }

    // The key state answers for every key, and nobody is pressing F12 here.
    auto backends = makeCaptureBackends();
    check(dynamic_cast<WindowsProcessSource*>(backends.processes.get()) != nullptr,
          "the factory picks Toolhelp32");
    check(backends.keys->available(), "GetAsyncKeyState is available");
    int fired = 0;
    HotkeyTable table(*backends.keys);
    table.addHotkey([&](std::int32_t) { ++fired; }, kCaptureKey);
    for (int i = 0; i < 3; ++i)
        table.pollHotkeys();
    check(fired == 0, "F12 does not fire untouched", fired);

    DeleteFileA(kvx.c_str());
    RemoveDirectoryA(dir.c_str());
    std::printf("WindowsCaptureTest: %d checks, %d failed\n", checks, failures);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 6 && std::strcmp(argv[1], "child") == 0)
        return runChild(argv);
    return runParent();
}
