#include "app/HotKey.h"

#include "app/SavedState.h"
#include "framework/Handles.h"
#include "framework/Text.h"

#include <iterator>
#include <utility>

namespace {

// The control's flags, which are not RegisterHotKey's: Shift and Alt trade places.
constexpr BYTE FlagShift = 0x01, FlagControl = 0x02, FlagAlt = 0x04, FlagExtended = 0x08;

BYTE Flags(DWORD hotKey) { return static_cast<BYTE>(hotKey >> 8); }

} // namespace

THotKeyCalls HotKeyCalls{RegisterHotKey, UnregisterHotKey};

bool AcceptableHotKey(DWORD hotKey)
{
    const BYTE modifiers = Flags(hotKey) & ~FlagExtended;
    // One modifier or none is what the control's rules refuse.
    const bool two = modifiers != 0 && (modifiers & (modifiers - 1)) != 0;
    return hotKey <= 0xFFFF && LOBYTE(hotKey) != 0 && (Flags(hotKey) & ~0x0F) == 0 && two;
}

WORD LoadHotKey()
{
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, SavedStateKey, HotKeyValue, RRF_RT_ANY | RRF_NOEXPAND, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value || !AcceptableHotKey(value))
        return 0;
    return static_cast<WORD>(value);
}

bool StoreHotKey(WORD hotKey) { return StoreProgramChoice(HotKeyValue, hotKey); }

UINT HotKeyModifiers(WORD hotKey)
{
    const BYTE flags = Flags(hotKey);
    // Held down, the key would toggle again and again.
    return MOD_NOREPEAT | (flags & FlagShift ? MOD_SHIFT : 0u) | (flags & FlagControl ? MOD_CONTROL : 0u) |
        (flags & FlagAlt ? MOD_ALT : 0u);
}

std::string HotKeyText(WORD hotKey)
{
    const BYTE flags = Flags(hotKey);
    std::wstring text;
    if (flags & FlagControl) text += L"Ctrl+";
    if (flags & FlagShift) text += L"Shift+";
    if (flags & FlagAlt) text += L"Alt+";
    // The extended flag tells Delete from the keypad's Del, and the arrows from the keypad's.
    const LONG scan =
        static_cast<LONG>(MapVirtualKeyW(LOBYTE(hotKey), MAPVK_VK_TO_VSC) << 16) | (flags & FlagExtended ? 1 << 24 : 0);
    wchar_t name[64] = L"";
    const int length = GetKeyNameTextW(scan, name, static_cast<int>(std::size(name)));
    return text::FromWide(text + std::wstring(name, static_cast<size_t>(length > 0 ? length : 0)));
}

bool THotKeyRegistration::Hold(HWND window, WORD hotKey)
{
    Release();
    if (!hotKey) return true;
    if (!HotKeyCalls.Register(window, Id, HotKeyModifiers(hotKey), LOBYTE(hotKey))) return false;
    FWindow = window;
    return true;
}

void THotKeyRegistration::Release()
{
    if (FWindow) HotKeyCalls.Unregister(std::exchange(FWindow, nullptr), Id);
}
