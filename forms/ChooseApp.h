#pragma once
// The dialog that chooses a running program: the screen saver then stays off until it ends.
#include "app/RunningApps.h"
#include "framework/Form.h"
#include "framework/Handles.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TButton;
class TCheckBox;
class TLabel;
class TListBox;
class TPanel;

class TFormChooseApp : public TForm {
public:
    static constexpr const char* ClassName = "TFormChooseApp";
    static const char* const Description;

    explicit TFormChooseApp(TComponent* owner) : TForm(owner) { }

    TPanel* PanelApps = nullptr;
    TLabel* LabelMsg = nullptr;
    TLabel* LabelApps = nullptr;
    TListBox* ListBoxApps = nullptr;
    TCheckBox* CheckBoxAll = nullptr;
    TButton* ButtonCancel = nullptr;
    TButton* ButtonOK = nullptr;

    // Opens with the programs running now, none chosen, the focus in the list; when open already,
    // comes to the front with the list read again.
    void ShowApps();

    void ListBoxAppsClick(TComponent* Sender);
    void ListBoxAppsDblClick(TComponent* Sender);
    void CheckBoxAllClick(TComponent* Sender);
    void ButtonOKClick(TComponent* Sender);
    void ButtonCancelClick(TComponent* Sender);

    // OK with the chosen program opened to wait for; false when it cannot be waited for, which keeps the
    // dialog open.
    std::function<bool(UniqueKernelHandle process, const std::wstring& fileName)> OnChosen;

protected:
    void DeclareBindings(TBindings& b) override;

private:
    // Reads the programs again; the one of `keep` stays chosen while it runs.
    void ReadApps(const std::optional<TAppLine>& keep);
    std::optional<TAppLine> ChosenLine();
    void CannotWait();
    void Warn(const wchar_t* message);

    std::vector<TAppLine> FLines;
};
