#include "app/CommandLine.h"
#include "app/cm_lullwick.h"
#include "framework/Text.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Params = std::vector<std::wstring>;

std::wstring W(const std::string& cp932) { return text::ToWide(cp932); }

TEST(SplitParameters, BlanksAndControlCharactersSeparate)
{
    EXPECT_EQ(SplitParameters(L"Lullwick.exe"), Params{});
    EXPECT_EQ(SplitParameters(L"Lullwick.exe /S"), Params{L"/S"});
    EXPECT_EQ(SplitParameters(L"Lullwick.exe  /S \t/C\x01x"), (Params{L"/S", L"/C", L"x"}));
    EXPECT_EQ(SplitParameters(L"Lullwick.exe\t/a\r\n"), Params{L"/a"});
}

TEST(SplitParameters, QuotesGroupAndAreDropped)
{
    EXPECT_EQ(SplitParameters(L"\"C:\\Program Files\\Lullwick.exe\" \"/S\""), Params{L"/S"});
    EXPECT_EQ(SplitParameters(L"x \"a b\"c"), Params{L"a bc"});
    EXPECT_EQ(SplitParameters(L"x /\"S\""), Params{L"/S"});
    // An unpaired quote runs to the end of the line.
    EXPECT_EQ(SplitParameters(L"x \"/S /C"), Params{L"/S /C"});
    // Backslashes are ordinary characters, also before a quote.
    EXPECT_EQ(SplitParameters(L"x a\\\"b c\""), Params{L"a\\b c"});
}

TEST(SplitParameters, EmptyQuotedParametersDoNotCount)
{
    EXPECT_EQ(SplitParameters(L"x \"\""), Params{});
    EXPECT_EQ(SplitParameters(L"x \"\" /S"), Params{L"/S"});
    EXPECT_EQ(SplitParameters(L"x \"\"\"\" \"\" /S"), Params{L"/S"});
    // Three quotes: the first pair is skipped, the third opens a stretch.
    EXPECT_EQ(SplitParameters(L"x \"\"\"/S"), Params{L"/S"});
}

TEST(SplitParameters, VeryLongParameterIsKeptWhole)
{
    const std::wstring longParam(32000, L'A');
    const Params params = SplitParameters(L"x " + longParam);
    ASSERT_EQ(params.size(), 1u);
    EXPECT_EQ(params[0], longParam);
}

TEST(Messages, OptionListIsFifteenLinesOf569Bytes)
{
    const std::string list = OptionList();
    EXPECT_EQ(list.size(), 569u);
    EXPECT_EQ(std::count(list.begin(), list.end(), '\r'), 14);
    EXPECT_EQ(list.find('\n'), std::string::npos);
    EXPECT_EQ(list.back(), ';');
    EXPECT_TRUE(W(list).starts_with(L"【指定可能オプション】\r\r　　/?\t"));
    EXPECT_NE(W(list).find(L"\r　　　\t（有効／無効状態は有効に変更されます）\r\r　　※"), std::wstring::npos);
}

TEST(Messages, StatusAndChangeTexts)
{
    EXPECT_EQ(W(StatusMessage(true, 10)),
        L"現在のスクリーンセーバーの設定は 『有効』 です。\r\r（待ち時間は 10分に設定されています）");
    EXPECT_EQ(W(StatusMessage(false, 0)),
        L"現在のスクリーンセーバーの設定は 『無効』 です。\r\r（待ち時間は 0分に設定されています）");
    // The change names the state asked for: the opposite of the one before.
    EXPECT_EQ(W(ChangeMessage(true, 5)),
        L"スクリーンセーバーの状態を 『無効』 に変更しました。\r\r（待ち時間は 5分に設定されています）");
    EXPECT_EQ(W(ChangeMessage(false, 9999)),
        L"スクリーンセーバーの状態を 『有効』 に変更しました。\r\r（待ち時間は 9999分に設定されています）");
    EXPECT_EQ(W(AlreadyOnMessage(1)),
        L"スクリーンセーバーの状態は既に 『有効』 に設定されています。\r\r（待ち時間は 1分に設定されています）");
    EXPECT_EQ(W(SwitchedOffMessage(-1)),
        L"スクリーンセーバーの状態を 『無効』 に変更しました。\r\r（待ち時間は -1分に設定されています）");
}

TEST(Messages, ErrorsCarryTheOptionList)
{
    const std::wstring hyphens(51, L'-');
    EXPECT_EQ(W(ParameterErrorMessage()), L"パラメータエラーです。\r\r" + hyphens + L"\r\r" + W(OptionList()));
    EXPECT_EQ(OptionErrorMessage(L"/s"), L"オプションエラーです。（/s）\r\r" + hyphens + L"\r\r" + W(OptionList()));
}

TEST(Messages, OptionErrorRepeatsTheParameterAsTyped)
{
    // Characters that code page 932 cannot hold stay as the user typed them.
    const std::wstring typed = L"/\u00e9\u0416\U0001F600";
    const std::wstring message = OptionErrorMessage(typed);
    EXPECT_NE(message.find(L"（" + typed + L"）"), std::wstring::npos);
    const std::wstring longParam(32000, L'x');
    EXPECT_NE(OptionErrorMessage(longParam).find(longParam), std::wstring::npos);
    // Invalid UTF-16 (a lone surrogate) is repeated as it came, not lost.
    const std::wstring broken = L"/\xD800x";
    EXPECT_NE(OptionErrorMessage(broken).find(broken), std::wstring::npos);
    EXPECT_TRUE(DecideOption(broken, true, 1).optionError);
}

constexpr MessageIcon info = MessageIcon::Information, none = MessageIcon::None, error = MessageIcon::Error;

struct DecideCase {
    const wchar_t* option;
    bool active;
    std::optional<bool> set;
    bool execute;
    MessageIcon icon;
};

TEST(DecideOption, EveryOptionFromBothStates)
{
    const DecideCase cases[] = {
        {L"/?", true, {}, false, info},
        {L"/S", false, {}, false, info},
        {L"/C", true, false, false, info},
        {L"/C", false, true, false, info},
        {L"/c", true, false, false, none},
        {L"/c", false, true, false, none},
        {L"/A", false, true, false, info},
        {L"/A", true, {}, false, info},
        {L"/a", false, true, false, none},
        {L"/a", true, {}, false, none},
        {L"/I", true, false, false, info},
        {L"/I", false, {}, false, info},
        {L"/i", true, false, false, none},
        {L"/i", false, {}, false, none},
        {L"/e", false, true, true, none},
        {L"/e", true, true, true, none},
        {L"/s", true, {}, false, error},
        {L"/E", true, {}, false, error},
        {L"-S", true, {}, false, error},
        {L"S", true, {}, false, error},
        {L"/SS", true, {}, false, error},
        {L"/S ", true, {}, false, error},
    };
    for (const DecideCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.option << (c.active ? " on" : " off"));
        const OptionJob job = DecideOption(c.option, c.active, 10);
        EXPECT_EQ(job.setActive, c.set);
        EXPECT_EQ(job.execute, c.execute);
        EXPECT_EQ(job.icon, c.icon);
        EXPECT_EQ(job.optionError, c.icon == error);
        EXPECT_EQ(job.message.empty(), c.icon != info);
    }
}

TEST(DecideOption, MessagesMatchTheJob)
{
    EXPECT_EQ(DecideOption(L"/A", false, 3).message, SwitchedOnMessage(3));
    EXPECT_EQ(DecideOption(L"/A", true, 3).message, AlreadyOnMessage(3));
    EXPECT_EQ(DecideOption(L"/I", true, 3).message, SwitchedOffMessage(3));
    EXPECT_EQ(DecideOption(L"/I", false, 3).message, AlreadyOffMessage(3));
    EXPECT_EQ(DecideOption(L"/C", true, 3).message, ChangeMessage(true, 3));
    EXPECT_EQ(DecideOption(L"/S", true, 10).message, StatusMessage(true, 10));
    EXPECT_EQ(DecideOption(L"/?", true, 10).message, OptionList());
    EXPECT_TRUE(DecideOption(L"/E", true, 10).optionError);
}

class RunCommandLineTest : public testing::Test {
protected:
    RunCommandLineTest()
    {
        TakeQuitMessage();
        original_ = SendSystemCommand;
        SendSystemCommand = [](HWND, WPARAM command) -> LRESULT {
            executed += command == SC_SCREENSAVE;
            return 0;
        };
        executed = 0;
    }
    ~RunCommandLineTest() override { SendSystemCommand = original_; }

    static inline int executed = 0;
    ScreenSaverSettingsGuard settings_;
    MessageBoxRecorder boxes_;
    SendSystemCommandFn original_;
};

TEST_F(RunCommandLineTest, NoParameterDoesNothing)
{
    RunCommandLine({});
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_FALSE(TakeQuitMessage());
}

TEST_F(RunCommandLineTest, StatusReportsStateAndWaitTimeAndEnds)
{
    SetScreenSaverActive(true);
    SetSaverSeconds(600);
    RunCommandLine({L"/S"});
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, W(StatusMessage(true, 10)));
    EXPECT_EQ(boxes_.Boxes()[0].caption, L"Lullwick");
    EXPECT_EQ(boxes_.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(RunCommandLineTest, ToggleSwitchesAndReportsTheStateAskedFor)
{
    SetScreenSaverActive(true);
    RunCommandLine({L"/C"});
    EXPECT_FALSE(GetScreenSaverActive());
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_NE(boxes_.Boxes()[0].text.find(L"『無効』"), std::wstring::npos);
    RunCommandLine({L"/c"});
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
}

TEST_F(RunCommandLineTest, ExecuteSwitchesOnThenStartsWithoutAMessage)
{
    SetScreenSaverActive(false);
    RunCommandLine({L"/e"});
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(executed, 1);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(RunCommandLineTest, TwoParametersGiveTheParameterErrorAndChangeNothing)
{
    SetScreenSaverActive(true);
    RunCommandLine({L"/S", L"/C"});
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, W(ParameterErrorMessage()));
    EXPECT_EQ(boxes_.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(RunCommandLineTest, UnknownOptionGivesTheOptionErrorAndChangesNothing)
{
    SetScreenSaverActive(false);
    RunCommandLine({L"/E"});
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, OptionErrorMessage(L"/E"));
    EXPECT_EQ(boxes_.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(GetScreenSaverActive());
    EXPECT_EQ(executed, 0);
}

} // namespace
