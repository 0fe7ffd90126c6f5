// One tick of the hot-key poll over the real X11 keyboard: all 255 virtual keys queried, the F12
// record updated. Runs on $DISPLAY when set, else on an Xvfb of its own.
//  - PollHotkeys: what the 10 ms timer does on the UI thread;
//  - QueryKeyState: the X11 query alone (one XQueryKeymap round trip).
#include "XvfbServer.h"
#include "core/capture/CaptureConstants.h"
#include "core/capture/HotkeyTable.h"
#include "core/capture/X11KeyState.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <iostream>
#include <memory>

using namespace shopkeeper::capture;

namespace {

X11KeyState& keyboard()
{
    static std::unique_ptr<shopkeeper::test::XvfbServer> server;
    static const auto keys = [] {
        const char* display = std::getenv("DISPLAY");
        std::string name = display != nullptr ? display : "";
        if (name.empty()) {
            server = std::make_unique<shopkeeper::test::XvfbServer>();
            if (!server->error().empty()) {
                std::cerr << server->error() << "\n";
                std::exit(1);
            }
            name = server->display();
        }
        auto source = std::make_unique<X11KeyState>(name.c_str());
        if (!source->available()) {
            std::cerr << "cannot open the X11 display " << name << "\n";
            std::exit(1);
        }
        return source;
    }();
    return *keys;
}

void PollHotkeys(benchmark::State& state)
{
    HotkeyTable table(keyboard());
    int fired = 0;
    table.addHotkey([&](std::int32_t) { ++fired; }, kCaptureKey);
    for (auto _ : state)
        table.pollHotkeys();
    benchmark::DoNotOptimize(fired);
}
BENCHMARK(PollHotkeys)->Unit(benchmark::kMicrosecond);

void QueryKeyState(benchmark::State& state)
{
    KeySnapshot snapshot;
    for (auto _ : state) {
        keyboard().query(snapshot);
        benchmark::DoNotOptimize(snapshot);
    }
}
BENCHMARK(QueryKeyState)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
