// The Win32 host windows against hostsim's default window in another
// process: the child layout the exchange walks and the end-to-end tests rely
// on, the bounds of a text request, and velmora-cli.exe's inspect-host
// reaching the window (the exchange and the inspection are tested natively,
// the exchange's faults end to end).

#include <gtest/gtest.h>

#include <algorithm>

#include "hostlink/host_windows_win32.h"
#include "hostlink/register_block.h"
#include "win32/hostsim_process.h"

namespace velmora {
namespace {

TEST(HostWindows, HostsimsDefaultLayoutAndTheBoundsOfEveryRequest) {
    Win32HostWindows windows;
    const std::string title = testing::uniqueTitle();
    testing::HostsimProcess host({"--title", title, "--texts", std::string(40, '7')});
    ASSERT_NE(host.waitForWindow(title), nullptr);
    EXPECT_EQ(windows.findTopLevel(title + std::string(1, '\0') + "x"), 0u) << "a title with a NUL inside";
    EXPECT_EQ(windows.findTopLevel(""), 0u) << "would match an untitled window";

    // Register fields at positions 1-8, 17-24 and 33-40, OK and Cancel at 52 and 53.
    std::vector<HostHandle> children;
    for (HostHandle c = windows.firstChild(windows.findTopLevel(title)); c; c = windows.nextSibling(c))
        children.push_back(c);
    ASSERT_EQ(children.size(), 55u);
    for (int p = 0; p < 55; ++p) {
        const bool field = (p >= 1 && p <= 8) || (p >= 17 && p <= 24) || (p >= 33 && p <= 40);
        char name[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(children[p]), name, sizeof name);
        EXPECT_STRCASEEQ(name, p == 52 || p == 53 ? "button" : field ? "edit" : "static") << p;
    }
    // A 21-byte buffer, whatever is asked: never more than 20 characters.
    EXPECT_EQ(windows.getText(children[1], kGetTextMaxChars, 1000), std::string(19, '7'));
    EXPECT_EQ(windows.getText(children[1], 1000, 1000), std::string(20, '7'));
    EXPECT_EQ(windows.getText(children[1], 0, 1000), "");
    // velmora-cli.exe reaches the window through the same class: every exchange would succeed.
    testing::Process cli(testing::testBinaryDirectory() + "velmora-cli.exe",
                         {"inspect-host", "7", "--title", title});
    EXPECT_EQ(cli.waitForExit(20000), std::optional<DWORD>(0));
}

// A control that fills all the room it is given, with no terminator, and
// claims far more: the answer is cut to the room less one character.
TEST(HostWindows, AnUnterminatedAnswerThatClaimsTooMuchIsCut) {
    WNDCLASSA overlong{};
    overlong.lpszClassName = "velmora-test-overlong";
    overlong.hInstance = GetModuleHandleA(nullptr);
    overlong.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m != WM_GETTEXT) return DefWindowProcA(w, m, wp, lp);
        std::fill_n(reinterpret_cast<char*>(lp), wp, 'x');
        return 1000;
    };
    RegisterClassA(&overlong);
    const HWND control = CreateWindowA(overlong.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                       overlong.hInstance, nullptr);
    ASSERT_NE(control, nullptr);
    Win32HostWindows windows;
    EXPECT_EQ(windows.getText(reinterpret_cast<HostHandle>(control), kGetTextMaxChars, 1000),
              std::string(19, 'x'));
    EXPECT_EQ(windows.getText(reinterpret_cast<HostHandle>(control), 1000, 1000), std::string(20, 'x'));
    DestroyWindow(control);
}

} // namespace
} // namespace velmora
