#include "app/CommandLine.h"
#include "app/SavedState.h"
#include "app/cm_lullwick.h"
#include "forms/Main.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// What the profile holds, read past the program's own validation.
std::optional<DWORD> RawRecord()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, SavedStateKey, SavedStateValue, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool KeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SavedStateKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void WriteRaw(DWORD type, const void* data, DWORD size)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, SavedStateValue, type, data, size);
}

std::wstring commandLine;

// A run of the main form with the given command line, as the program makes it.
class SavedStateTest : public testing::Test {
protected:
    SavedStateTest()
    {
        RemoveSavedState();
        FOriginalCommand = SendSystemCommand;
        SendSystemCommand = [](HWND, WPARAM) -> LRESULT { return 0; };
        TrackMenu = [](HMENU, int, int, HWND) -> UINT { return 0; };
        Application->SetShowMainForm(true);
    }
    ~SavedStateTest() override
    {
        if (FormMain) Free(FormMain);
        FormMain = nullptr;
        RemoveSavedState();
        SendSystemCommand = FOriginalCommand;
        TrackMenu = FOriginalTrack;
        ProcessCommandLine = GetCommandLineW;
        SetShiftHeld(false);
        TakeQuitMessage();
    }
    static void Start(std::wstring line)
    {
        commandLine = std::move(line);
        ProcessCommandLine = []() -> LPWSTR { return commandLine.data(); };
        Application->CreateForm(FormMain);
        TakeQuitMessage();
    }
    static void End()
    {
        Free(FormMain);
        FormMain = nullptr;
    }

    ScreenSaverSettingsGuard FSettings;
    MessageBoxRecorder FBoxes;
    SendSystemCommandFn FOriginalCommand;
    TrackMenuFn FOriginalTrack = TrackMenu;
};

TEST_F(SavedStateTest, RunKeepsItsRecordUntilTheStateIsBack)
{
    SetScreenSaverActive(true);
    Start(L"Lullwick.exe");
    EXPECT_FALSE(GetScreenSaverActive());
    EXPECT_EQ(RawRecord(), 1u);
    End();
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(RawRecord(), std::nullopt);
    EXPECT_FALSE(KeyExists()); // nothing of the program's own is left behind
}

TEST_F(SavedStateTest, RecordOfAKilledRunIsPutBackBeforeTheStartRecords)
{
    for (const bool recorded : {true, false}) {
        SCOPED_TRACE(recorded);
        StoreSavedState(recorded);
        SetScreenSaverActive(!recorded);
        Start(L"Lullwick.exe");
        EXPECT_FALSE(GetScreenSaverActive());
        EXPECT_EQ(RawRecord(), DWORD{recorded});
        End();
        EXPECT_EQ(GetScreenSaverActive(), recorded);
        EXPECT_EQ(RawRecord(), std::nullopt);
        EXPECT_TRUE(FBoxes.Boxes().empty());
    }
}

TEST_F(SavedStateTest, ShiftExitIsTheUsersChoiceAndEndsTheRecord)
{
    SetScreenSaverActive(true);
    Start(L"Lullwick.exe");
    SetShiftHeld(true);
    FormMain->PopupMenu->Popup(0, 0);
    SetShiftHeld(false);
    End();
    EXPECT_FALSE(GetScreenSaverActive());
    EXPECT_EQ(RawRecord(), std::nullopt);
}

TEST_F(SavedStateTest, OptionsThatPickTheStateSupersedeTheRecordOthersLeaveIt)
{
    const struct {
        const wchar_t* line;
        bool superseded;
    } cases[] = {{L"x /C", true}, {L"x /c", true}, {L"x /A", true}, {L"x /a", true}, {L"x /I", true}, {L"x /i", true},
        {L"x /e", true}, {L"x /S", false}, {L"x /?", false}, {L"x /x", false}, {L"x /a /i", false}};
    for (const auto& c : cases) {
        for (const bool active : {true, false}) {
            SCOPED_TRACE(testing::Message() << std::string(c.line, c.line + wcslen(c.line)) << " from " << active);
            StoreSavedState(!active);
            SetScreenSaverActive(active);
            Start(c.line);
            End();
            EXPECT_EQ(RawRecord(), c.superseded ? std::nullopt : std::optional<DWORD>(!active));
        }
    }
}

TEST_F(SavedStateTest, RecordOfTheWrongTypeOrValueIsRemovedAndIgnored)
{
    const DWORD two = 2;
    const wchar_t one[] = L"1";
    const unsigned long long wide = 1;
    const struct {
        DWORD type;
        const void* data;
        DWORD size;
    } cases[] = {{REG_DWORD, &two, sizeof two}, {REG_SZ, one, sizeof one}, {REG_QWORD, &wide, sizeof wide},
        {REG_BINARY, &two, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        WriteRaw(c.type, c.data, c.size);
        EXPECT_EQ(LoadSavedState(), std::nullopt);
        EXPECT_FALSE(KeyExists());
        WriteRaw(c.type, c.data, c.size);
        SetScreenSaverActive(false);
        Start(L"Lullwick.exe");
        End();
        EXPECT_FALSE(GetScreenSaverActive());
        EXPECT_EQ(RawRecord(), std::nullopt);
        EXPECT_TRUE(FBoxes.Boxes().empty());
    }
}

} // namespace
