#pragma once
// The simple controls the forms are made of.
#include "framework/Icon.h"
#include "framework/WinControl.h"

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TPanelBevel { bvNone, bvLowered, bvRaised };

class TLabel : public TWinControl {
public:
    static constexpr const char* ClassName = "TLabel";
    explicit TLabel(TComponent* owner) : TWinControl(owner) { }

    TWinControl* FocusControl() const { return focusControl_; }
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
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
    TWinControl* focusControl_ = nullptr;
};

class TButton : public TWinControl {
public:
    static constexpr const char* ClassName = "TButton";
    explicit TButton(TComponent* owner);

    bool Default() const { return default_; }
    bool Cancel() const { return cancel_; }
    void SetDefault(bool value) { default_ = value; }
    void SetCancel(bool value) { cancel_ = value; }
    // Shows the button as the one that Enter presses.
    void SetActive(bool active);
    virtual void Click();

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;

    TNotifyEvent OnClick;

protected:
    void CreateParams(TCreateParams& params) override;
    void Command(WORD code) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
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
    TPanelBevel bevelInner_ = TPanelBevel::bvNone;
    TPanelBevel bevelOuter_ = TPanelBevel::bvRaised;
};

class TImage : public TWinControl {
public:
    static constexpr const char* ClassName = "TImage";
    explicit TImage(TComponent* owner) : TWinControl(owner) { }

    const TIcon& Picture() const { return picture_; }
    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;
    bool CanFocus() const override { return false; }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    std::wstring resource_;
    TIcon picture_;
};
