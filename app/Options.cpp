#include "app/Options.h"

#include "framework/Text.h"

#include <string>

// The texts are written in UTF-8 and converted once they are complete.
namespace {

// A sentence naming a state, a blank line and the wait time.
std::string StateMessage(const char* head, bool active, const char* tail, int minutes)
{
    return text::FromUtf8(std::string(head) + StateWord(active) + tail + "\r\r（待ち時間は " + std::to_string(minutes) +
        "分に設定されています）");
}

constexpr char Hyphens[] = "\r\r---------------------------------------------------\r\r";

const char OptionListText[] = "【指定可能オプション】\r"
                              "\r"
                              "　　/?\t指定可能オプション表示\r"
                              "　　/S\tスクリーンセーバー有効／無効状態表示 (Status)\r"
                              "　　/C\tスクリーンセーバー有効／無効切り替え (Change)\r"
                              "　　/c\tスクリーンセーバー有効／無効切り替え (Change)\r"
                              "　　/A\tスクリーンセーバー有効 (Active)\r"
                              "　　/a\tスクリーンセーバー有効 (Active)\r"
                              "　　/I\tスクリーンセーバー無効 (Inactive)\r"
                              "　　/i\tスクリーンセーバー無効 (Inactive)\r"
                              "　　/e\tスクリーンセーバー実行 (Execute)\r"
                              "　　　\t（有効／無効状態は有効に変更されます）\r"
                              "\r"
                              "　　※大文字のオプションはダイアログによる通知があります。\r"
                              "　　※一度に指定できるオプションは一つだけです(^^;";

} // namespace

std::string OptionList() { return text::FromUtf8(OptionListText); }

std::vector<std::wstring> SplitParameters(std::wstring_view line)
{
    // Reads one parameter from `p`, the way the run-time library does.
    auto next = [&line](size_t& p) {
        for (;;) {
            while (p < line.size() && line[p] <= L' ') ++p;
            if (p + 1 < line.size() && line[p] == L'"' && line[p + 1] == L'"') p += 2;
            else break;
        }
        std::wstring param;
        while (p < line.size() && line[p] > L' ') {
            if (line[p] == L'"') {
                ++p;
                while (p < line.size() && line[p] != L'"') param += line[p++];
                if (p < line.size()) ++p;
            } else {
                param += line[p++];
            }
        }
        return param;
    };
    size_t p = 0;
    next(p); // the program's own name
    std::vector<std::wstring> params;
    for (std::wstring param = next(p); !param.empty(); param = next(p)) params.push_back(std::move(param));
    return params;
}

const char* StateWord(bool active) { return active ? "有効" : "無効"; }

std::string StatusMessage(bool active, int minutes)
{
    return StateMessage("現在のスクリーンセーバーの設定は 『", active, "』 です。", minutes);
}

std::string ChangeMessage(bool activeBefore, int minutes)
{
    return StateMessage("スクリーンセーバーの状態を 『", !activeBefore, "』 に変更しました。", minutes);
}

std::string SwitchedOnMessage(int minutes) { return ChangeMessage(false, minutes); }

std::string AlreadyOnMessage(int minutes)
{
    return StateMessage("スクリーンセーバーの状態は既に 『", true, "』 に設定されています。", minutes);
}

std::string SwitchedOffMessage(int minutes) { return ChangeMessage(true, minutes); }

std::string AlreadyOffMessage(int minutes)
{
    return StateMessage("スクリーンセーバーの状態は既に 『", false, "』 に設定されています。", minutes);
}

std::string NotChangedMessage(bool activeNow, int minutes)
{
    return StateMessage(
        "スクリーンセーバーの状態を変更できませんでした。\r現在の設定は 『", activeNow, "』 のままです。", minutes);
}

std::string ParameterErrorMessage()
{
    return text::FromUtf8(std::string("パラメータエラーです。") + Hyphens + OptionListText);
}

std::string OptionErrorHead() { return text::FromUtf8("オプションエラーです。（"); }

std::string OptionErrorTail() { return text::FromUtf8(std::string("）") + Hyphens + OptionListText); }

OptionJob DecideOption(std::wstring_view option, bool active, int minutes)
{
    constexpr MessageIcon info = MessageIcon::Information;
    auto show = [](std::string message, MessageIcon icon, bool choosesState = false) {
        return OptionJob{std::nullopt, false, std::move(message), icon, false, choosesState};
    };
    auto set = [](bool state, std::string message = {}) {
        const MessageIcon icon = message.empty() ? MessageIcon::None : MessageIcon::Information;
        return OptionJob{state, false, std::move(message), icon, false, true};
    };
    if (option == L"/?") return show(OptionList(), info);
    if (option == L"/S") return show(StatusMessage(active, minutes), info);
    if (option == L"/C") return set(!active, ChangeMessage(active, minutes));
    if (option == L"/c") return set(!active);
    if (option == L"/A")
        return active ? show(AlreadyOnMessage(minutes), info, true) : set(true, SwitchedOnMessage(minutes));
    if (option == L"/a") return active ? show({}, MessageIcon::None, true) : set(true);
    if (option == L"/I")
        return active ? set(false, SwitchedOffMessage(minutes)) : show(AlreadyOffMessage(minutes), info, true);
    if (option == L"/i") return active ? set(false) : show({}, MessageIcon::None, true);
    if (option == L"/e") return OptionJob{true, true, {}, MessageIcon::None, false, true};
    return OptionJob{std::nullopt, false, {}, MessageIcon::Error, true, false};
}
