#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/cm_lullwick.h"
#include "framework/Text.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using Params = std::vector<std::wstring>;

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

constexpr std::wstring_view ListText = L"【指定可能オプション】\r"
                                       L"\r"
                                       L"　　/?\t指定可能オプション表示\r"
                                       L"　　/S\tスクリーンセーバー有効／無効状態表示 (Status)\r"
                                       L"　　/C\tスクリーンセーバー有効／無効切り替え (Change)\r"
                                       L"　　/c\tスクリーンセーバー有効／無効切り替え (Change)\r"
                                       L"　　/A\tスクリーンセーバー有効 (Active)\r"
                                       L"　　/a\tスクリーンセーバー有効 (Active)\r"
                                       L"　　/I\tスクリーンセーバー無効 (Inactive)\r"
                                       L"　　/i\tスクリーンセーバー無効 (Inactive)\r"
                                       L"　　/e\tスクリーンセーバー実行 (Execute)\r"
                                       L"　　　\t（有効／無効状態は有効に変更されます）\r"
                                       L"\r"
                                       L"　　※大文字のオプションはダイアログによる通知があります。\r"
                                       L"　　※一度に指定できるオプションは一つだけです(^^;";
constexpr std::wstring_view Hyphens = L"---------------------------------------------------";

// Every text the program can show, as it holds it (code page 932) and as the user reads it.
TEST(Messages, EveryTextByteForByte)
{
    struct Row {
        const char* what;
        std::string held;
        std::wstring text;
        size_t bytes;
    };
    const Row rows[] = {
        {"/S on", DecideOption(L"/S", true, 10).message,
            L"現在のスクリーンセーバーの設定は 『有効』 です。\r\r（待ち時間は 10分に設定されています）", 87},
        {"/S off", DecideOption(L"/S", false, 0).message,
            L"現在のスクリーンセーバーの設定は 『無効』 です。\r\r（待ち時間は 0分に設定されています）", 86},
        // The change names the state asked for: the opposite of the one before.
        {"/C on", DecideOption(L"/C", true, 5).message,
            L"スクリーンセーバーの状態を 『無効』 に変更しました。\r\r（待ち時間は 5分に設定されています）", 90},
        {"/C off", DecideOption(L"/C", false, 9999).message,
            L"スクリーンセーバーの状態を 『有効』 に変更しました。\r\r（待ち時間は 9999分に設定されています）", 93},
        {"/A off", DecideOption(L"/A", false, 9999).message,
            L"スクリーンセーバーの状態を 『有効』 に変更しました。\r\r（待ち時間は 9999分に設定されています）", 93},
        {"/A on", DecideOption(L"/A", true, 1).message,
            L"スクリーンセーバーの状態は既に 『有効』 に設定されています。\r\r（待ち時間は 1分に設定されています）",
            98},
        {"/I on", DecideOption(L"/I", true, 5).message,
            L"スクリーンセーバーの状態を 『無効』 に変更しました。\r\r（待ち時間は 5分に設定されています）", 90},
        {"/I off", DecideOption(L"/I", false, 10).message,
            L"スクリーンセーバーの状態は既に 『無効』 に設定されています。\r\r（待ち時間は 10分に設定されています）",
            99},
        {"/?", DecideOption(L"/?", true, 10).message, std::wstring(ListText), 569},
        {"parameter error", ParameterErrorMessage(),
            L"パラメータエラーです。\r\r" + std::wstring(Hyphens) + L"\r\r" + std::wstring(ListText), 646},
        {"option error", text::FromWide(OptionErrorMessage(L"/s")),
            L"オプションエラーです。（/s）\r\r" + std::wstring(Hyphens) + L"\r\r" + std::wstring(ListText), 652},
        {"already running", text::FromWide(AlreadyRunningText), L"『Lullwick』は既に起動されています。", 36},
        {"not changed", NotChangedMessage(false, 10),
            L"スクリーンセーバーの状態を変更できませんでした。\r現在の設定は 『無効』 のままです。\r\r（待ち時間は "
            L"10分に設定されています）",
            122},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(text::ToWide(row.held), row.text);
        EXPECT_EQ(row.held.size(), row.bytes);
    }
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

class RunCommandLineTest : public testing::Test {
protected:
    RunCommandLineTest()
    {
        TakeQuitMessage();
        FOriginal = SendSystemCommand;
        SendSystemCommand = [](HWND, WPARAM command) -> LRESULT {
            executed += command == SC_SCREENSAVE;
            return 0;
        };
        executed = 0;
    }
    ~RunCommandLineTest() override { SendSystemCommand = FOriginal; }

    static inline int executed = 0;
    ScreenSaverSettingsGuard FSettings;
    MessageBoxRecorder FBoxes;
    SendSystemCommandFn FOriginal;
};

TEST_F(RunCommandLineTest, NoParameterDoesNothing)
{
    RunCommandLine({});
    EXPECT_TRUE(FBoxes.Boxes().empty());
    EXPECT_FALSE(TakeQuitMessage());
}

TEST_F(RunCommandLineTest, StatusReportsStateAndWaitTimeAndEnds)
{
    SetScreenSaverActive(true);
    SetSaverSeconds(600);
    RunCommandLine({L"/S"});
    ASSERT_EQ(FBoxes.Boxes().size(), 1u);
    EXPECT_EQ(FBoxes.Boxes()[0].text,
        L"現在のスクリーンセーバーの設定は 『有効』 です。\r\r（待ち時間は 10分に設定されています）");
    EXPECT_EQ(FBoxes.Boxes()[0].caption, L"Lullwick");
    EXPECT_EQ(FBoxes.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(RunCommandLineTest, ToggleSwitchesAndReportsTheStateAskedFor)
{
    SetScreenSaverActive(true);
    EXPECT_EQ(RunCommandLine({L"/C"}), 0);
    EXPECT_FALSE(GetScreenSaverActive());
    ASSERT_EQ(FBoxes.Boxes().size(), 1u);
    EXPECT_NE(FBoxes.Boxes()[0].text.find(L"『無効』"), std::wstring::npos);
    RunCommandLine({L"/c"});
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(FBoxes.Boxes().size(), 1u);
}

TEST_F(RunCommandLineTest, RefusedChangeIsAnErrorThatNamesTheStateKept)
{
    SetSaverSeconds(600);
    const struct {
        const wchar_t* option;
        bool active;
        bool box;
    } cases[] = {{L"/A", false, true}, {L"/C", true, true}, {L"/C", false, true}, {L"/I", true, true},
        {L"/a", false, false}, {L"/c", true, false}, {L"/i", true, false}, {L"/e", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.option << (c.active ? " on" : " off"));
        SetScreenSaverActive(c.active);
        FBoxes.Clear();
        const ScreenSaverChangesRefused refused;
        EXPECT_EQ(RunCommandLine({c.option}), 1);
        EXPECT_EQ(GetScreenSaverActive(), c.active);
        ASSERT_EQ(FBoxes.Boxes().size(), c.box ? 1u : 0u);
        if (!c.box) continue;
        EXPECT_EQ(FBoxes.Boxes()[0].text, text::ToWide(NotChangedMessage(c.active, 10)));
        EXPECT_EQ(FBoxes.Boxes()[0].caption, L"Lullwick");
        EXPECT_EQ(FBoxes.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    }
}

TEST_F(RunCommandLineTest, ExecuteSwitchesOnThenStartsWithoutAMessage)
{
    SetScreenSaverActive(false);
    RunCommandLine({L"/e"});
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(executed, 1);
    EXPECT_TRUE(FBoxes.Boxes().empty());
}

TEST_F(RunCommandLineTest, TwoParametersGiveTheParameterErrorAndChangeNothing)
{
    SetScreenSaverActive(true);
    RunCommandLine({L"/S", L"/C"});
    ASSERT_EQ(FBoxes.Boxes().size(), 1u);
    EXPECT_TRUE(FBoxes.Boxes()[0].text.starts_with(L"パラメータエラーです。\r\r"));
    EXPECT_EQ(FBoxes.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(RunCommandLineTest, UnknownOptionGivesTheOptionErrorAndChangesNothing)
{
    SetScreenSaverActive(false);
    RunCommandLine({L"/E"});
    ASSERT_EQ(FBoxes.Boxes().size(), 1u);
    EXPECT_EQ(FBoxes.Boxes()[0].text, OptionErrorMessage(L"/E"));
    EXPECT_EQ(FBoxes.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(GetScreenSaverActive());
    EXPECT_EQ(executed, 0);
}

} // namespace
