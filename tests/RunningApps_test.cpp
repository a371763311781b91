#include "app/RunningApps.h"
#include "tests/TestSupport.h"

#include <dwmapi.h>

#include <gtest/gtest.h>

#include <utility>

namespace {

const TAppLine* LineOf(const std::vector<TAppLine>& lines, DWORD id)
{
    for (const TAppLine& line : lines)
        if (line.processId == id) return &line;
    return nullptr;
}

// Windows of this test program, read as another program's: the kinds the user can switch to give a line
// with the title; with every program, the others give the file name alone.
TEST(RunningApps, WindowsTheUserCanSwitchToGiveTheirProgramALine)
{
    const HWND owner =
        CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    constexpr DWORD shown = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    const struct {
        const char* name;
        DWORD style, exStyle;
        bool owned;
        const wchar_t* title;
        bool all, own;
        const wchar_t* line; // null: none
        bool cloaked = false;
    } rows[] = {
        {"shown, titled", shown, 0, false, L"Naïve 漢字 \U0001F600", false, false,
            L"lullwick_tests.exe 「Naïve 漢字 \U0001F600」"},
        {"hidden", WS_POPUP | WS_CAPTION, 0, false, L"t", false, false, nullptr},
        {"untitled", shown, 0, false, L"", false, false, nullptr},
        {"a tool window", shown, WS_EX_TOOLWINDOW, false, L"t", false, false, nullptr},
        {"owned", shown, 0, true, L"t", false, false, nullptr},
        {"owned, in the taskbar", shown, WS_EX_APPWINDOW, true, L"t", false, false, L"lullwick_tests.exe 「t」"},
        {"this program's", shown, 0, false, L"t", false, true, nullptr},
        {"cloaked", shown, 0, false, L"t", false, false, nullptr, true},
        {"hidden, every program", WS_POPUP | WS_CAPTION, 0, false, L"t", true, false, L"lullwick_tests.exe"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const HWND window = CreateWindowExW(row.exStyle, L"STATIC", row.title, row.style, 0, 0, 200, 80,
            row.owned ? owner : nullptr, nullptr, nullptr, nullptr);
        const WindowAttributeFn original = WindowAttribute;
        if (row.cloaked)
            WindowAttribute = [](HWND, DWORD attribute, void* value, DWORD) -> HRESULT {
                *static_cast<DWORD*>(value) = attribute == DWMWA_CLOAKED;
                return S_OK;
            };
        const auto lines = ReadRunningApps(row.all, row.own ? GetCurrentProcessId() : 0);
        WindowAttribute = original;
        const TAppLine* line = LineOf(lines, GetCurrentProcessId());
        EXPECT_EQ(line ? line->Text() : L"none", row.line ? row.line : L"none");
        EXPECT_TRUE(!line || line->startTime != 0);
        DestroyWindow(window);
    }
    DestroyWindow(owner);
}

TEST(RunningApps, EveryOtherProgramOfTheSessionSortedByFileNameWithoutRegardToCase)
{
    // Before the others by code, after them without regard to case; twins in the order of their ids.
    const SuspendedProcess zebra(L"Zebra.exe"), twin(L"Zebra.exe");
    EXPECT_EQ(LineOf(ReadRunningApps(false), zebra.Id()), nullptr);
    EXPECT_EQ(LineOf(ReadRunningApps(true), GetCurrentProcessId()), nullptr);
    const ProcessOpenFn open = std::exchange(ProcessOpen, RefuseProcessOpen);
    EXPECT_EQ(LineOf(ReadRunningApps(true), zebra.Id()), nullptr) << "listed, though it cannot be opened";
    ProcessOpen = open;
    // This program's read as another's, with a window: one line all the same.
    const HWND window = CreateWindowExW(
        0, L"STATIC", L"t", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 90, 40, nullptr, nullptr, nullptr, nullptr);
    const auto lines = ReadRunningApps(true, 0);
    DestroyWindow(window);
    const TAppLine* line = LineOf(lines, zebra.Id());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Text(), L"Zebra.exe");
    EXPECT_NE(line->startTime, 0u);
    for (size_t i = 1; i < lines.size(); ++i) {
        const int order = CompareStringOrdinal(lines[i - 1].fileName.c_str(), -1, lines[i].fileName.c_str(), -1, TRUE);
        EXPECT_TRUE(order == CSTR_LESS_THAN || (order == CSTR_EQUAL && lines[i - 1].processId < lines[i].processId))
            << i;
    }
}

TEST(RunningApps, OpeningTellsAnEndedOrReusedIdFromTheProgramChosen)
{
    const auto lines = ReadRunningApps(true, 0);
    const TAppLine* self = LineOf(lines, GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    SuspendedProcess ended(L"Zebra.exe");
    ended.End();
    const struct {
        const char* name;
        TAppLine line;
        bool refused;
        TAppOpening opening;
    } rows[] = {
        {"as read", *self, false, TAppOpening::Opened},
        {"read without a start time", {self->processId, 0, {}, {}}, false, TAppOpening::Opened},
        {"its id given to another", {self->processId, self->startTime + 1, {}, {}}, false, TAppOpening::Gone},
        {"ended, its id still held", {ended.Id(), 0, {}, {}}, false, TAppOpening::Gone},
        {"no such id", {0x7FFFFFF0, 0, {}, {}}, false, TAppOpening::Gone},
        {"refused", *self, true, TAppOpening::Refused},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ProcessOpenFn original = row.refused ? std::exchange(ProcessOpen, RefuseProcessOpen) : ProcessOpen;
        UniqueKernelHandle process;
        EXPECT_EQ(OpenApp(row.line, process), row.opening);
        ProcessOpen = original;
        EXPECT_EQ(
            process ? GetProcessId(process.get()) : 0, row.opening == TAppOpening::Opened ? row.line.processId : 0);
    }
}

} // namespace
