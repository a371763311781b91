#include "app/CommandLine.h"
#include "app/Lifecycle.h"
#include "app/RunningApps.h"
#include "app/SavedState.h"
#include "app/cm_lullwick.h"
#include "forms/Main.h"
#include "framework/Application.h"
#include "framework/Handles.h"
#include "framework/Menus.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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

// The writer's start time as no process has it: the record of a run that has ended.
void MarkWriterGone()
{
    const ULONGLONG gone = 1; // not 0, which tells of no start time at all
    RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, SavedByStartValue, REG_QWORD, &gone, sizeof gone);
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
        RegistrySetValue = RegSetValueExW;
        ProcessOpen = OpenProcess;
        ProfileSetValue = RegSetKeyValueW;
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
    // What a run killed now leaves behind: the screen saver off and its record.
    static void Kill()
    {
        const std::optional<DWORD> record = RawRecord();
        End();
        SetScreenSaverActive(false);
        if (!record) return;
        StoreSavedState(*record == 1);
        MarkWriterGone();
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
    // A write the profile refuses halfway leaves neither a value nor the key.
    RegistrySetValue = [](HKEY key, const wchar_t* name, DWORD, DWORD type, const BYTE* data, DWORD size) -> LSTATUS {
        return wcscmp(name, SavedByStartValue) == 0 ? ERROR_ACCESS_DENIED
                                                    : RegSetValueExW(key, name, 0, type, data, size);
    };
    Start(L"Lullwick.exe");
    EXPECT_FALSE(KeyExists());
    End();
    EXPECT_TRUE(GetScreenSaverActive());
    // A start that failed before it recorded the state writes nothing back.
    RestoreAtExit(std::nullopt, false, false);
    EXPECT_TRUE(GetScreenSaverActive());
}

TEST_F(SavedStateTest, RecordRepairsAKilledRunAndNeverUndoesALaterChoice)
{
    const struct {
        bool found, killed, userChanged, after, idTaken = false;
    } cases[] = {{true, false, false, true}, {true, false, true, false}, {false, false, false, false},
        {false, false, true, true}, {true, true, false, true}, {true, true, true, true}, {false, true, false, false},
        {false, true, true, true}, {true, true, false, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(
            testing::Message() << "found " << c.found << " killed " << c.killed << " changed " << c.userChanged);
        SetScreenSaverActive(c.found);
        Start(L"Lullwick.exe");
        // A screen saver found off has nothing to repair.
        EXPECT_EQ(RawRecord(), c.found ? std::optional<DWORD>(1) : std::nullopt);
        if (c.killed) Kill();
        else End();
        // The killed run's id now names a process this one may not open (the System process, a service).
        if (c.idTaken) ProcessOpen = RefuseProcessOpen;
        if (c.userChanged) SetScreenSaverActive(!GetScreenSaverActive());
        Start(L"Lullwick.exe");
        End();
        ProcessOpen = OpenProcess;
        EXPECT_EQ(GetScreenSaverActive(), c.after);
        EXPECT_FALSE(KeyExists());
        EXPECT_TRUE(FBoxes.Boxes().empty());
    }
    // Nor does a record of off, as earlier versions wrote it (without a writer).
    const DWORD off = 0;
    WriteRaw(REG_DWORD, &off, sizeof off);
    SetScreenSaverActive(true);
    Start(L"Lullwick.exe");
    End();
    EXPECT_TRUE(GetScreenSaverActive());
}

TEST_F(SavedStateTest, RecordStaysUntilTheSystemTakesTheStateBack)
{
    // What the system refuses goes into the profile itself, so that the next sign-in starts with it.
    static std::vector<std::wstring> written;
    ProfileSetValue = [](HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD) {
        if (root == HKEY_CURRENT_USER && type == REG_SZ)
            written.push_back(std::wstring(key) + L"\\" + name + L"=" + static_cast<const wchar_t*>(data));
        return ERROR_SUCCESS;
    };
    SetScreenSaverActive(true);
    Start(L"Lullwick.exe");
    {
        const ScreenSaverChangesRefused refused;
        End();
        EXPECT_FALSE(GetScreenSaverActive());
        EXPECT_EQ(RawRecord(), 1u);
        EXPECT_EQ(written, std::vector<std::wstring>{L"Control Panel\\Desktop\\ScreenSaveActive=1"});
        MarkWriterGone();
        // The next start's repair is refused as well; its exit still owes the recorded state.
        Start(L"Lullwick.exe");
        EXPECT_EQ(written.size(), 2u);
    }
    End();
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(RawRecord(), 1u);
    Start(L"Lullwick.exe");
    End();
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_FALSE(KeyExists());
    EXPECT_EQ(written.size(), 2u);
    // A refused option ends the program with the code that says it failed.
    const ScreenSaverChangesRefused refused;
    Start(L"x /i");
    End();
    EXPECT_EQ(Application->ExitCode(), 1);
    Application->SetExitCode(0);
}

TEST_F(SavedStateTest, RecordOfACopyThatStillRunsIsLeftToIt)
{
    // A copy in another session (here this process) found the screen saver on and switched it off.
    StoreSavedState(true);
    SetScreenSaverActive(false);
    Start(L"Lullwick.exe");
    End();
    EXPECT_EQ(RawRecord(), 1u);
    // What that copy found is the user's state, also for a run that ends after it.
    EXPECT_TRUE(GetScreenSaverActive());
    // A writer that has ended is gone, also while a handle keeps its process object.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    wchar_t line[] = L"cmd.exe /c exit";
    ASSERT_TRUE(
        CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child));
    const UniqueKernelHandle process(child.hProcess), thread(child.hThread);
    WaitForSingleObject(child.hProcess, 10000);
    const ULONGLONG start = ProcessStartTime(child.hProcess);
    RegSetKeyValueW(
        HKEY_CURRENT_USER, SavedStateKey, SavedByProcessValue, REG_DWORD, &child.dwProcessId, sizeof(DWORD));
    RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, SavedByStartValue, REG_QWORD, &start, sizeof start);
    EXPECT_FALSE(SavedStateWriterRuns());
    // This process, which runs, recorded with another start time (its id given again) or with none.
    const DWORD self = GetCurrentProcessId();
    RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, SavedByProcessValue, REG_DWORD, &self, sizeof self);
    for (const ULONGLONG other : {ProcessStartTime(GetCurrentProcess()) + 1, ULONGLONG{0}}) {
        RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, SavedByStartValue, REG_QWORD, &other, sizeof other);
        EXPECT_FALSE(SavedStateWriterRuns()) << other;
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
            MarkWriterGone();
            SetScreenSaverActive(active);
            Start(c.line);
            // The job is the whole run: no record of its own, nothing switched off or put back at exit.
            const bool left = GetScreenSaverActive();
            const std::optional<DWORD> record = RawRecord();
            End();
            EXPECT_EQ(GetScreenSaverActive(), left);
            EXPECT_EQ(RawRecord(), record);
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
