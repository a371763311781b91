#pragma once
// The simple controls the forms are made of.
#include "framework/Icon.h"
#include "framework/WinControl.h"

#include <string>
#include <vector>

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TPanelBevel { bvNone, bvLowered, bvRaised };

// The accelerator letter of a caption ("&W"), upper case, or 0.
wchar_t AcceleratorOf(std::string_view caption);

class TLabel : public TWinControl {
public:
    static constexpr const char* ClassName = "TLabel";
    explicit TLabel(TComponent* owner) : TWinControl(owner) { }

    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);
    // The accelerator letter of the caption ("&W"), upper case, or 0.
    wchar_t Accelerator() const;
    bool CanFocus() const override { return false; }

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;
    void Notification(TComponent* removed) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool CtlColor(HDC dc, LRESULT& brush) override;

private:
    TAlignment FAlignment = TAlignment::taLeftJustify;
    TTextLayout FLayout = TTextLayout::tlTop;
    TWinControl* FFocusControl = nullptr;
};

class TButton : public TWinControl {
public:
    static constexpr const char* ClassName = "TButton";
    explicit TButton(TComponent* owner);

    bool Default() const { return FDefault; }
    bool Cancel() const { return FCancel; }
    void SetDefault(bool value) { FDefault = value; }
    void SetCancel(bool value) { FCancel = value; }
    wchar_t Accelerator() const { return AcceleratorOf(Text()); }
    // Shows the button as the one that Enter presses.
    void SetActive(bool active);
    virtual void Click();

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;

    TNotifyEvent OnClick;

protected:
    void CreateParams(TCreateParams& params) override;
    void Command(WORD code) override;

private:
    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false;
};

// A box that Space, a click or its accelerator letter ticks and clears.
class TCheckBox : public TWinControl {
public:
    static constexpr const char* ClassName = "TCheckBox";
    explicit TCheckBox(TComponent* owner);

    // As shown, or as set while there is no window.
    bool Checked();
    void SetChecked(bool checked);
    wchar_t Accelerator() const { return AcceleratorOf(Text()); }

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;

    // After each change by the user.
    TNotifyEvent OnClick;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Command(WORD code) override;
    bool CtlColor(HDC dc, LRESULT& brush) override;

private:
    bool FChecked = false;
};

// A list of lines, one chosen at most. The lines are UTF-16, not code page 932: they show
// text of other programs (window titles), which holds characters code page 932 lacks.
class TListBox : public TWinControl {
public:
    static constexpr const char* ClassName = "TListBox";
    explicit TListBox(TComponent* owner);

    const std::vector<std::wstring>& Items() const { return FItems; }
    // Shown in the order given, none chosen.
    void SetItems(std::vector<std::wstring> items);
    // The chosen line, or -1.
    int ItemIndex();
    void SetItemIndex(int index);

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;

    // The chosen line changed by the user (the mouse, the arrows, a first letter).
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void WndProc(TMessage& message) override;
    void Command(WORD code) override;

private:
    void FillWindow();
    // Lets the lines scroll sideways as far as the longest one reaches in the current font.
    void UpdateExtent();

    std::vector<std::wstring> FItems;
    int FItemIndex = -1;
};

class TPanel : public TWinControl {
public:
    static constexpr const char* ClassName = "TPanel";
    explicit TPanel(TComponent* owner) : TWinControl(owner) { }

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;
    bool CanFocus() const override { return false; }

protected:
    void WndProc(TMessage& message) override;

private:
    TPanelBevel FBevelInner = TPanelBevel::bvNone;
    TPanelBevel FBevelOuter = TPanelBevel::bvRaised;
};

class TImage : public TWinControl {
public:
    static constexpr const char* ClassName = "TImage";
    explicit TImage(TComponent* owner) : TWinControl(owner) { }

    const TIcon& Picture() const { return FPicture; }
    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;
    bool CanFocus() const override { return false; }
    void ScaleBy(const TScale& scale) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    void ShowPicture();

    std::wstring FResource;
    TIcon FPicture;
};
