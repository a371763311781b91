#pragma once
// Event types: method references, called only when set.
#include <windows.h>

#include <functional>
#include <variant>

class TComponent;

enum class TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// A small set; the mouse-button members have the values 8, 16 and 32.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TNotifyEvent = std::function<void(TComponent* Sender)>;
using TMouseEvent = std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TComponent* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TComponent* Sender, wchar_t& Key)>;
using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;

using TPublishedMethod =
    std::variant<TNotifyEvent, TMouseEvent, TMouseMoveEvent, TKeyEvent, TKeyPressEvent, TCloseEvent>;
