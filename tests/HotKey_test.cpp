#include "app/HotKey.h"
#include "app/SavedState.h"
#include "framework/Text.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

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
    const auto write = [](DWORD type, const void* data, DWORD size) {
        RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, HotKeyValue, type, data, size);
    };
    const auto dword = [&](DWORD value) { write(REG_DWORD, &value, 4); };
    const ULONGLONG wide = 0x064C;
    const struct {
        const char* name;
        std::function<void()> store;
        WORD loaded;
    } rows[] = {
        {"none", [] {}, 0},
        {"Ctrl+Alt+L", [&] { dword(0x064C); }, 0x064C},
        {"Ctrl+Alt+Delete, extended", [&] { dword(0x0E2E); }, 0x0E2E},
        {"another type", [&] { write(REG_BINARY, "\x4C\x06\0\0", 4); }, 0},
        {"another size", [&] { write(REG_QWORD, &wide, 8); }, 0},
        {"text", [&] { write(REG_SZ, L"1612", 10); }, 0},
        {"no key", [&] { dword(0x0600); }, 0},
        {"no modifier", [&] { dword(0x004C); }, 0},
        {"Shift alone", [&] { dword(0x014C); }, 0},
        {"Ctrl alone", [&] { dword(0x024C); }, 0},
        {"Alt alone, extended", [&] { dword(0x0C4C); }, 0},
        {"unknown flags", [&] { dword(0x164C); }, 0},
        {"beyond the word", [&] { dword(0x1064C); }, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.store();
        EXPECT_EQ(LoadHotKey(), row.loaded);
        EXPECT_TRUE(StoreHotKey(0));
        EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, SavedStateKey), ERROR_FILE_NOT_FOUND); // nothing left
    }
    RegistrySetValue = [](HKEY, const wchar_t*, DWORD, DWORD, const BYTE*, DWORD) -> LSTATUS { return 5; };
    EXPECT_FALSE(StoreHotKey(0x064C));
    RegistrySetValue = RegSetValueExW;
    EXPECT_EQ(LoadHotKey(), 0);
    RemoveEmptyProgramKey();
}

} // namespace
