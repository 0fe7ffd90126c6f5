#include "core/capture/X11KeyState.h"

#include "XvfbServer.h"
#include "core/capture/HotkeyTable.h"
#include "core/capture/ItemCapture.h"

#include <gtest/gtest.h>
#include <vector>

// Last: Xlib's macros (None, Bool, Status ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace shopkeeper::capture;

namespace {

// A private X server, a keyboard source over it, and a second connection that types through
// the XTEST extension. With the parameter true the server runs without the generic event
// extension, so XInput2 raw events cannot be delivered and the source falls back to XQueryKeymap.
class X11KeyStateTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(server.error(), "") << "the X11 key-state test needs its own Xvfb";
        typist = XOpenDisplay(server.display().c_str());
        ASSERT_NE(typist, nullptr) << "cannot connect to Xvfb at " << server.display();
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(typist, &event, &error, &major, &minor)) << "Xvfb has no XTEST";
        keys = std::make_unique<X11KeyState>(server.display().c_str());
        ASSERT_TRUE(keys->available());
        EXPECT_EQ(keys->seesTaps(), !GetParam());
    }
    void TearDown() override
    {
        keys.reset();
        if (typist != nullptr)
            XCloseDisplay(typist);
    }

    void key(KeySym keysym, bool down)
    {
        const KeyCode code = XKeysymToKeycode(typist, keysym);
        ASSERT_NE(code, 0) << "Xvfb's keyboard has no key for keysym " << keysym;
        XTestFakeKeyEvent(typist, code, down ? True : False, 0);
        XSync(typist, False);
    }

    shopkeeper::test::XvfbServer server{
        GetParam() ? std::vector<std::string>{"-extension", "Generic Event Extension"}
                   : std::vector<std::string>{}};
    Display* typist = nullptr;
    std::unique_ptr<X11KeyState> keys;
};

TEST_P(X11KeyStateTest, F12FiresOncePerPress)
{
    HotkeyTable table(*keys);
    std::vector<std::int32_t> fired;
    const auto id = table.addHotkey([&](std::int32_t hotkey) { fired.push_back(hotkey); }, kCaptureKey);
    table.pollHotkeys();
    key(XK_F12, true);
    for (int i = 0; i < 5; ++i)
        table.pollHotkeys();
    EXPECT_EQ(fired, std::vector<std::int32_t>{id});
    key(XK_F12, false);
    table.pollHotkeys();
    key(XK_F12, true);
    table.pollHotkeys();
    key(XK_F12, false);
    table.pollHotkeys();
    EXPECT_EQ(fired.size(), 2u);

    // With a modifier held, of either side, F12 does not fire.
    for (const KeySym modifier : {XK_Shift_L, XK_Control_R, XK_Alt_L, XK_Alt_R, XK_Super_L}) {
        key(modifier, true);
        key(XK_F12, true);
        table.pollHotkeys();
        key(modifier, false);
        table.pollHotkeys();
        key(XK_F12, false);
        table.pollHotkeys();
        EXPECT_EQ(fired.size(), 2u) << "modifier keysym " << modifier;
    }
}

TEST_P(X11KeyStateTest, MapsTheVirtualKeysTheTableNeeds)
{
    KeySnapshot snapshot;
    keys->query(snapshot);
    const std::vector<std::pair<KeySym, std::vector<std::int32_t>>> cases = {
        {XK_F12, {kVkF12}},
        {XK_Shift_R, {kVkShift, 0xA1}},
        {XK_Control_L, {kVkControl, 0xA2}},
        {XK_Alt_R, {kVkAlt, 0xA5}},
        {XK_Super_L, {kVkLeftWin}},
        {XK_a, {'A'}},
        {XK_7, {'7'}},
        {XK_F1, {0x70}},
    };
    for (const auto& [keysym, vks] : cases) {
        key(keysym, true);
        keys->query(snapshot);
        for (const auto vk : vks) {
            EXPECT_TRUE(snapshot.isDown(vk)) << "vk " << vk;
            EXPECT_TRUE(snapshot.wasPressed(vk)) << "vk " << vk;
        }
        EXPECT_EQ(snapshot.down.count(), vks.size()) << "keysym " << keysym;
        keys->query(snapshot);
        EXPECT_FALSE(snapshot.wasPressed(vks.front())) << "still down, not pressed again";
        key(keysym, false);
        keys->query(snapshot);
        EXPECT_FALSE(snapshot.isDown(vks.front()));
    }
}

// Press and release between two polls, as a quick tap does with a 10 ms poll: with raw events
// each of 20 taps fires once, a tap with a modifier tapped along does not; XQueryKeymap alone
// sees none of them.
TEST_P(X11KeyStateTest, TapsBetweenTwoPollsFire)
{
    HotkeyTable table(*keys);
    int fired = 0;
    table.addHotkey([&](std::int32_t) { ++fired; }, kCaptureKey);
    table.pollHotkeys();
    for (int i = 0; i < 20; ++i) {
        key(XK_F12, true);
        key(XK_F12, false);
        table.pollHotkeys();
        table.pollHotkeys(); // the next tick, with the key up, fires nothing
        EXPECT_EQ(fired, GetParam() ? 0 : i + 1) << "tap " << i + 1;
    }

    key(XK_Control_L, true);
    key(XK_F12, true);
    key(XK_F12, false);
    key(XK_Control_L, false);
    table.pollHotkeys();
    table.pollHotkeys();
    EXPECT_EQ(fired, GetParam() ? 0 : 20) << "Ctrl+F12 tapped";
}

INSTANTIATE_TEST_SUITE_P(RawEventsAndKeymapFallback, X11KeyStateTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return std::string(param.param ? "KeymapOnly" : "RawEvents");
                         });

TEST(X11KeyStateWithoutDisplay, IsUnavailableWithAReason)
{
    X11KeyState keys(":65123");
    EXPECT_FALSE(keys.available());
    EXPECT_EQ(keys.unavailableReason(), "没有X11显示，无法监视F12（例如纯Wayland会话）");
    KeySnapshot snapshot;
    snapshot.down.set(kVkF12);
    keys.query(snapshot);
    EXPECT_TRUE(snapshot.down.none());

    class GameRuns final : public ProcessSource
    {
    public:
        std::optional<std::vector<ProcessEntry>> listProcesses() override
        {
            return std::vector<ProcessEntry>{{9, "KVX.exe", ""}};
        }
        std::unique_ptr<ProcessMemory> openForReading(ProcessId) override { return nullptr; }
    } gameRuns;
    EXPECT_EQ(captureSwitchOnProblem(gameRuns, keys),
              "游戏没有运行！\n没有X11显示，无法监视F12（例如纯Wayland会话）");
}

} // namespace
