#pragma once
// The options of the one-job mode and their messages: plain logic, with no
// platform calls but the text conversion, so that it can also be built
// natively and fuzzed.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The parameters after the program's own name: blanks and control characters
// separate them, double quotes group a stretch and are dropped; backslashes
// are ordinary characters.  An empty parameter ends the list.
std::vector<std::wstring> SplitParameters(std::wstring_view commandLine);

// The state in a word, as the messages and the tray menu name it; UTF-8, as
// written, for a text that is converted once it is complete.
const char* StateWord(bool active);

// The messages are code page 932 bytes.
// The option list shown by "/?" and after both errors (569 bytes).
std::string OptionList();
std::string StatusMessage(bool active, int minutes);
std::string ChangeMessage(bool activeBefore, int minutes);
std::string SwitchedOnMessage(int minutes);
std::string AlreadyOnMessage(int minutes);
std::string SwitchedOffMessage(int minutes);
std::string AlreadyOffMessage(int minutes);
// The system refused the change: the state it still has.
std::string NotChangedMessage(bool activeNow, int minutes);
std::string ParameterErrorMessage();
// The option error without the parameter, which the caller puts between them.
std::string OptionErrorHead();
std::string OptionErrorTail();

enum class MessageIcon { None, Information, Error };

// What one option does, given the state and the wait time read before it.
struct OptionJob {
    std::optional<bool> setActive; // the state to write, if any
    bool execute = false; // start the screen saver afterwards
    std::string message; // code page 932; empty: no message box, or the option error
    MessageIcon icon = MessageIcon::None;
    bool optionError = false; // not an option: the error repeats the parameter
    bool choosesState = false; // the user picked the state, also when it already was so
};
OptionJob DecideOption(std::wstring_view parameter, bool active, int minutes);
