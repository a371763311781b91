#include "app/SingleInstance.h"
#include "app/cm_lullwick.h"
#include "framework/Application.h"
#include "tests/ClosedMutex.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::wstring RegistryFlag()
{
    wchar_t value[16] = L"";
    DWORD size = sizeof value;
    RegGetValueW(
        HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaveActive", RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

class ScreenSaverSettings : public testing::Test {
    ScreenSaverSettingsGuard FGuard;
};

TEST_F(ScreenSaverSettings, WaitTimeIsReadInWholeMinutesDroppingTheRemainder)
{
    SetSaverSeconds(90);
    EXPECT_EQ(GetScreenSaverTimeout(), 1);
    SetSaverSeconds(59);
    EXPECT_EQ(GetScreenSaverTimeout(), 0);
    SetSaverSeconds(600);
    EXPECT_EQ(GetScreenSaverTimeout(), 10);
}

TEST_F(ScreenSaverSettings, WaitTimeIsWrittenAsMinutesTimesSixty)
{
    SetScreenSaverTimeout(10);
    EXPECT_EQ(SaverSeconds(), 600);
    SetScreenSaverTimeout(9999);
    EXPECT_EQ(SaverSeconds(), 599940);
}

TEST_F(ScreenSaverSettings, StateIsWrittenToTheUserProfile)
{
    SetScreenSaverActive(false);
    EXPECT_FALSE(GetScreenSaverActive());
    EXPECT_EQ(RegistryFlag(), L"0");
    SetScreenSaverActive(true);
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(RegistryFlag(), L"1");
}

TEST_F(ScreenSaverSettings, ChangesAreNotBroadcast)
{
    int broadcasts = 0;
    const int hook = Application->HookMainWindow([&broadcasts](UINT msg, WPARAM, LPARAM) {
        broadcasts += msg == WM_SETTINGCHANGE;
        return false;
    });
    SetScreenSaverActive(false);
    SetScreenSaverActive(true);
    SetScreenSaverTimeout(7);
    PumpFor(100);
    EXPECT_EQ(broadcasts, 0);
    // The same change with a broadcast does reach the application window.
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    PumpFor(100);
    EXPECT_GT(broadcasts, 0);
    Application->UnhookMainWindow(hook);
}

TEST(ExecuteScreenSaver, SendsTheScreenSaveCommandToTheApplicationWindow)
{
    static std::vector<std::pair<HWND, WPARAM>> sent;
    sent.clear();
    const SendSystemCommandFn original = SendSystemCommand;
    SendSystemCommand = [](HWND window, WPARAM command) -> LRESULT {
        sent.emplace_back(window, command);
        return 0;
    };
    ExecuteScreenSaver();
    SendSystemCommand = original;
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].first, Application->Handle());
    EXPECT_EQ(sent[0].second, static_cast<WPARAM>(SC_SCREENSAVE));
}

TEST(SingleInstance, OnlyTheCopyThatCreatedTheMutexIsFirst)
{
    {
        const SingleInstance first;
        EXPECT_TRUE(first.First());
        // A later copy finds the mutex held.
        EXPECT_FALSE(SingleInstance().First());
    }
    EXPECT_TRUE(SingleInstance().First());
    // Of two copies that start at once, only the answer of the creation tells
    // the second that the first made the mutex a moment before.
    const MutexExistedFn original = MutexAlreadyExisted;
    const std::pair<MutexExistedFn, bool> answers[] = {{[] { return false; }, true}, {[] { return true; }, false}};
    for (const auto& [existed, first] : answers) {
        MutexAlreadyExisted = existed;
        EXPECT_EQ(SingleInstance().First(), first);
    }
    MutexAlreadyExisted = original;
    // The real answer is the one of the creation just made.
    const UniqueKernelHandle held(CreateMutexW(nullptr, FALSE, L"Lullwick"));
    const UniqueKernelHandle again(CreateMutexW(nullptr, FALSE, L"Lullwick"));
    EXPECT_TRUE(MutexAlreadyExisted());
}

TEST(SingleInstance, AMutexThisCopyMayNotOpenMeansAnotherCopyRuns)
{
    const UniqueKernelHandle held(CreateMutexGrantingNothing(L"Lullwick"));
    ASSERT_TRUE(held);
    EXPECT_FALSE(SingleInstance().First());
}

} // namespace
