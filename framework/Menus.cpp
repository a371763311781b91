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
    // The side the system opens menus to from the point (right-to-left systems open them leftward).
    const UINT alignment = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    return static_cast<UINT>(
        TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY | alignment, x, y, owner, nullptr));
}

} // namespace

TrackMenuFn TrackMenu = TrackPlatformMenu;

TMenuItem::~TMenuItem()
{
    if (FMenu) std::erase(FMenu->FItems, this);
}

void TMenuItem::Click()
{
    if (OnClick) OnClick(this);
}

void TMenuItem::SetParentComponent(TComponent* parent)
{
    if (auto* menu = dynamic_cast<TPopupMenu*>(parent)) menu->Add(this);
}

bool TMenuItem::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Caption") SetCaption(value.AsString());
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
    if (item->FMenu) std::erase(item->FMenu->FItems, item);
    item->FMenu = this;
    FItems.push_back(item);
}

bool TPopupMenu::Popup(int x, int y)
{
    if (OnPopup) OnPopup(this);
    UniqueMenu menu(CreatePopupMenu());
    for (size_t i = 0; i < FItems.size(); ++i) {
        const std::string& caption = FItems[i]->FCaption;
        if (caption == "-") AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        else AppendMenuW(menu.get(), MF_STRING, i + 1, text::ToWide(caption).c_str());
    }
    HWND owner = Application->Handle();
    if (auto* form = dynamic_cast<TForm*>(Owner())) owner = form->Handle();
    const unsigned quitRequests = Application->QuitRequests();
    const UINT chosen = TrackMenu(menu.get(), x, y, owner);
    // Windows documents that a menu opened from the tray must be followed by
    // a message to its window, or the next one may close as soon as it opens.
    PostMessageW(owner, WM_NULL, 0, 0);
    // A menu loop may take the quit message posted while it ran (Wine's does).
    if (Application->QuitRequests() != quitRequests) Application->Terminate();
    if (chosen < 1 || chosen > FItems.size()) return false;
    FItems[chosen - 1]->Click();
    return true;
}

bool TPopupMenu::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "AutoHotkeys") value.AsIdentifier(); // captions are shown as stored, no letters added
    else if (name == "OnPopup") OnPopup = reader.Method<TNotifyEvent>(value);
    else return TComponent::SetProperty(name, value, reader);
    return true;
}
