#pragma once
#include "framework/Component.h"
#include "framework/Events.h"

#include <string>
#include <vector>

class TPopupMenu;

class TMenuItem : public TComponent {
public:
    static constexpr const char* ClassName = "TMenuItem";
    explicit TMenuItem(TComponent* owner) : TComponent(owner) { }
    ~TMenuItem() override;

    // In code page 932; "-" makes a separator line, a TAB starts the second column.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string caption) { FCaption = std::move(caption); }
    bool Checked() const { return FChecked; }
    void SetChecked(bool checked) { FChecked = checked; }
    // A disabled item is shown greyed and cannot be chosen.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled) { FEnabled = enabled; }
    // The items of its submenu; an item that has some opens them instead of being chosen.
    const std::vector<TMenuItem*>& Items() const { return FItems; }
    void Add(TMenuItem* item);
    void Click();

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;
    void SetParentComponent(TComponent* parent) override;

    TNotifyEvent OnClick;

private:
    friend class TPopupMenu;
    void Detach();

    std::string FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    std::vector<TMenuItem*> FItems;
    // What holds the item: the menu or an item's submenu (at most one of them).
    TPopupMenu* FMenu = nullptr;
    TMenuItem* FParentItem = nullptr;
};

class TPopupMenu : public TComponent {
public:
    static constexpr const char* ClassName = "TPopupMenu";
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) { }
    ~TPopupMenu() override;

    const std::vector<TMenuItem*>& Items() const { return FItems; }
    void Add(TMenuItem* item);
    // Raises OnPopup, shows the menu at the screen point and returns when it has
    // closed, after the chosen item's OnClick; true when an item was chosen.
    bool Popup(int x, int y);

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;

    TNotifyEvent OnPopup;

private:
    friend class TMenuItem;
    std::vector<TMenuItem*> FItems;
};

// Shows a native menu and returns the chosen command (0: none); tests replace it.
// Commands number the items that can be chosen from 1, submenus' items in place.
using TrackMenuFn = UINT (*)(HMENU menu, int x, int y, HWND owner);
extern TrackMenuFn TrackMenu;
