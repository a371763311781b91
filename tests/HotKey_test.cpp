#include "app/HotKey.h"
#include "app/SavedState.h"
#include "framework/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(HotKey, TheControlsFlagsBecomeRegisterHotKeysModifiersAndTheKeysName)
{
    const struct {
        WORD hotKey;
        UINT modifiers;
        const wchar_t* text;
    } rows[] = {
        {0x064C, MOD_NOREPEAT | MOD_CONTROL | MOD_ALT, L"Ctrl+Alt+L"},
        // Shift and Alt have each other's bits; the extended flag is Win's bit, and no modifier.
        {0x0D2E, MOD_NOREPEAT | MOD_SHIFT | MOD_ALT, L"Shift+Alt+Delete"},
        // Without it the keypad's: "Num Del" on Windows, the X name "KP_Delete" under Wine.
        {0x052E, MOD_NOREPEAT | MOD_SHIFT | MOD_ALT, nullptr},
        {0x0F70, MOD_NOREPEAT | MOD_SHIFT | MOD_CONTROL | MOD_ALT, L"Ctrl+Shift+Alt+F1"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HotKeyModifiers(row.hotKey), row.modifiers) << row.hotKey;
        const std::wstring text = text::ToWide(HotKeyText(row.hotKey));
        if (row.text) EXPECT_EQ(text, row.text);
        else EXPECT_TRUE(text.starts_with(L"Shift+Alt+") && text != L"Shift+Alt+Delete") << text;
    }
}

TEST(HotKey, OnlyAStoredKeyTheDialogCouldGiveIsTaken)
{
    const struct {
        const char* name;
        DWORD type; // 0: no value
        ULONGLONG data;
        DWORD size;
        WORD loaded;
    } rows[] = {
        {"none", 0, 0, 0, 0},
        {"Ctrl+Alt+L", REG_DWORD, 0x064C, 4, 0x064C},
        {"Ctrl+Alt+Delete, extended", REG_DWORD, 0x0E2E, 4, 0x0E2E},
        {"another type", REG_BINARY, 0x064C, 4, 0},
        {"another size", REG_QWORD, 0x064C, 8, 0},
        {"no key", REG_DWORD, 0x0600, 4, 0},
        {"no modifier", REG_DWORD, 0x004C, 4, 0},
        {"Shift alone", REG_DWORD, 0x014C, 4, 0},
        {"Ctrl alone", REG_DWORD, 0x024C, 4, 0},
        {"Alt alone, extended", REG_DWORD, 0x0C4C, 4, 0},
        {"unknown flags", REG_DWORD, 0x164C, 4, 0},
        {"beyond the word", REG_DWORD, 0x1064C, 4, 0},
    };
    StoreHotKey(0); // what a run cut short may have left
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.type) RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, HotKeyValue, row.type, &row.data, row.size);
        EXPECT_EQ(LoadHotKey(), row.loaded);
        EXPECT_TRUE(StoreHotKey(0));
        EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, SavedStateKey), ERROR_FILE_NOT_FOUND); // nothing left
    }
}

} // namespace
