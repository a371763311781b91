#include "components/hotkeyedit/HotKeyEdit.h"

#include "components/CommonControls.h"
#include "framework/Reader.h"

#include <utility>

#include <commctrl.h>

namespace {

// A set from a description: each member named is one bit.
template <size_t N>
WORD ReadBits(const TValue& value, const std::pair<const char*, WORD> (&names)[N])
{
    WORD bits = 0;
    for (const auto& [name, bit] : names)
        if (value.Has(name)) bits |= bit;
    return bits;
}

constexpr std::pair<const char*, WORD> Combinations[] = {{"hcNone", HKCOMB_NONE}, {"hcShift", HKCOMB_S},
    {"hcCtrl", HKCOMB_C}, {"hcAlt", HKCOMB_A}, {"hcShiftCtrl", HKCOMB_SC}, {"hcShiftAlt", HKCOMB_SA},
    {"hcCtrlAlt", HKCOMB_CA}, {"hcShiftCtrlAlt", HKCOMB_SCA}};
constexpr std::pair<const char*, WORD> Modifiers[] = {
    {"hkShift", HOTKEYF_SHIFT}, {"hkCtrl", HOTKEYF_CONTROL}, {"hkAlt", HOTKEYF_ALT}, {"hkExt", HOTKEYF_EXT}};

} // namespace

THotKey::THotKey(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

void THotKey::CreateParams(TCreateParams& params)
{
    InitCommonControlClasses(ICC_HOTKEY_CLASS);
    TWinControl::CreateParams(params);
    CreateSubClass(params, HOTKEY_CLASSW);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void THotKey::CreateWnd()
{
    TWinControl::CreateWnd();
    Perform(HKM_SETRULES, FInvalid, MAKELPARAM(FModifiers, 0));
    Perform(HKM_SETHOTKEY, FHotKey, 0);
}

WORD THotKey::HotKey() { return HandleAllocated() ? static_cast<WORD>(Perform(HKM_GETHOTKEY, 0, 0)) : FHotKey; }

void THotKey::SetHotKey(WORD hotKey)
{
    FHotKey = hotKey;
    if (HandleAllocated()) Perform(HKM_SETHOTKEY, hotKey, 0);
}

void THotKey::SetRules(WORD invalid, WORD modifiers)
{
    FInvalid = invalid;
    FModifiers = modifiers;
    if (HandleAllocated()) Perform(HKM_SETRULES, invalid, MAKELPARAM(modifiers, 0));
}

bool THotKey::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "HotKey") SetHotKey(static_cast<WORD>(value.AsInt()));
    else if (name == "InvalidKeys") SetRules(ReadBits(value, Combinations), FModifiers);
    else if (name == "Modifiers") SetRules(FInvalid, ReadBits(value, Modifiers));
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}
