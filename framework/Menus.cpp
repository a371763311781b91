#include "framework/Menus.h"

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Handles.h"
#include "framework/Reader.h"
#include "framework/Text.h"

#include <algorithm>

namespace {

UINT TrackPlatformMenu(HMENU menu, int x, int y, HWND owner)
{
    // The side the system opens menus to from the point: the pen and touch handedness setting,
    // so that a menu drops on the side away from the hand.
    const UINT alignment = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    return static_cast<UINT>(
        TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY | alignment, x, y, owner, nullptr));
}

// A native menu of `items`; the items that can be chosen go to `commands`,
// each under its position there plus one.
UniqueMenu BuildMenu(const std::vector<TMenuItem*>& items, std::vector<TMenuItem*>& commands)
{
    UniqueMenu menu(CreatePopupMenu());
    for (TMenuItem* item : items) {
        if (item->Caption() == "-") {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT state = (item->Checked() ? MF_CHECKED : 0u) | (item->Enabled() ? 0u : MF_GRAYED);
        const std::wstring caption = text::ToWide(item->Caption());
        if (item->Items().empty()) {
            commands.push_back(item);
            AppendMenuW(menu.get(), MF_STRING | state, commands.size(), caption.c_str());
        } else {
            UniqueMenu submenu = BuildMenu(item->Items(), commands);
            // The menu destroys the submenu it holds.
            if (AppendMenuW(menu.get(), MF_POPUP | state, reinterpret_cast<UINT_PTR>(submenu.get()), caption.c_str()))
                submenu.release();
        }
    }
    return menu;
}

} // namespace

TrackMenuFn TrackMenu = TrackPlatformMenu;

TMenuItem::~TMenuItem()
{
    Detach();
    for (TMenuItem* item : FItems) item->FParentItem = nullptr;
}

void TMenuItem::Detach()
{
    if (FMenu) std::erase(FMenu->FItems, this);
    if (FParentItem) std::erase(FParentItem->FItems, this);
    FMenu = nullptr;
    FParentItem = nullptr;
}

void TMenuItem::Add(TMenuItem* item)
{
    item->Detach();
    item->FParentItem = this;
    FItems.push_back(item);
}

void TMenuItem::Click()
{
    if (OnClick) OnClick(this);
}

void TMenuItem::SetParentComponent(TComponent* parent)
{
    if (auto* menu = dynamic_cast<TPopupMenu*>(parent)) menu->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(parent)) item->Add(this);
}

bool TMenuItem::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Caption") SetCaption(value.AsString());
    else if (name == "Checked") SetChecked(value.AsBool());
    else if (name == "Enabled") SetEnabled(value.AsBool());
    else if (name == "OnClick") OnClick = reader.Method<TNotifyEvent>(value);
    else return TComponent::SetProperty(name, value, reader);
    return true;
}

TPopupMenu::~TPopupMenu()
{
    for (TMenuItem* item : FItems) item->FMenu = nullptr;
}

void TPopupMenu::Add(TMenuItem* item)
{
    item->Detach();
    item->FMenu = this;
    FItems.push_back(item);
}

bool TPopupMenu::Popup(int x, int y)
{
    if (OnPopup) OnPopup(this);
    std::vector<TMenuItem*> commands;
    const UniqueMenu menu = BuildMenu(FItems, commands);
    HWND owner = Application->Handle();
    if (auto* form = dynamic_cast<TForm*>(Owner())) owner = form->Handle();
    const unsigned quitRequests = Application->QuitRequests();
    const UINT chosen = TrackMenu(menu.get(), x, y, owner);
    // Windows documents that a menu opened from the tray must be followed by
    // a message to its window, or the next one may close as soon as it opens.
    PostMessageW(owner, WM_NULL, 0, 0);
    // A menu loop may take the quit message posted while it ran (Wine's does).
    if (Application->QuitRequests() != quitRequests) Application->Terminate();
    if (chosen < 1 || chosen > commands.size()) return false;
    commands[chosen - 1]->Click();
    return true;
}

bool TPopupMenu::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "AutoHotkeys") value.AsIdentifier(); // captions are shown as stored, no letters added
    else if (name == "OnPopup") OnPopup = reader.Method<TNotifyEvent>(value);
    else return TComponent::SetProperty(name, value, reader);
    return true;
}
