#pragma once
// The key that switches the screen saver on and off from anywhere: stored as
// the hotkey control's word (low byte the virtual key, high byte HOTKEYF_*
// flags) and held as a system-wide registration on the main window.
#include <windows.h>

#include <string>

// HKCU\Software\Lullwick, value HotKey (REG_DWORD), absent while there is none.
inline constexpr wchar_t HotKeyValue[] = L"HotKey";

// A key the dialog could have given; anything else counts as none.
bool AcceptableHotKey(DWORD hotKey);
// The stored key, or 0: a value of another type or size, or one the dialog would refuse, is none.
WORD LoadHotKey();
// 0 removes the value, and the program's key once it is empty; false when the profile refused.
bool StoreHotKey(WORD hotKey);

// RegisterHotKey's modifiers for the control's flags; the extended-key flag is no modifier.
UINT HotKeyModifiers(WORD hotKey);
// "Ctrl+Alt+L", the key named as the keyboard layout names it; code page 932.
std::string HotKeyText(WORD hotKey);

// The system's registration calls, one door; tests replace them to watch what is held and to refuse.
struct THotKeyCalls {
    BOOL(WINAPI* Register)(HWND window, int id, UINT modifiers, UINT key);
    BOOL(WINAPI* Unregister)(HWND window, int id);
};
extern THotKeyCalls HotKeyCalls;

// A key registered on a window for as long as the object holds it; nothing outlives the object.
class THotKeyRegistration {
public:
    static constexpr int Id = 1;

    THotKeyRegistration() = default;
    THotKeyRegistration(const THotKeyRegistration&) = delete;
    THotKeyRegistration& operator=(const THotKeyRegistration&) = delete;
    ~THotKeyRegistration() { Release(); }

    // Holds `hotKey` on `window` in place of any key held; 0 holds none. False when
    // the system refused it (another program has it), which leaves none held.
    bool Hold(HWND window, WORD hotKey);
    void Release();
    bool Held() const { return FWindow != nullptr; }

private:
    HWND FWindow = nullptr;
};
