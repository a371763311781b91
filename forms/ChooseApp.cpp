#include "forms/ChooseApp.h"

#include "forms/ChooseAppDescription.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"

#include <algorithm>
#include <optional>
#include <utility>

const char* const TFormChooseApp::Description = ChooseAppDescription;

namespace {

} // namespace

// Owned by the dialog, which takes no second OK meanwhile.
void TFormChooseApp::Warn(const wchar_t* message)
{
    ShowMessageBoxHandler(Handle(), message, text::ToWide(Application->Title()), MB_OK | MB_ICONWARNING);
}

void TFormChooseApp::DeclareBindings(TBindings& b)
{
    b.Field("PanelApps", PanelApps);
    b.Field("LabelMsg", LabelMsg);
    b.Field("LabelApps", LabelApps);
    b.Field("ListBoxApps", ListBoxApps);
    b.Field("CheckBoxAll", CheckBoxAll);
    b.Field("ButtonCancel", ButtonCancel);
    b.Field("ButtonOK", ButtonOK);
    b.Method("ListBoxAppsClick", this, &TFormChooseApp::ListBoxAppsClick);
    b.Method("ListBoxAppsDblClick", this, &TFormChooseApp::ListBoxAppsDblClick);
    b.Method("CheckBoxAllClick", this, &TFormChooseApp::CheckBoxAllClick);
    b.Method("ButtonOKClick", this, &TFormChooseApp::ButtonOKClick);
    b.Method("ButtonCancelClick", this, &TFormChooseApp::ButtonCancelClick);
}

void TFormChooseApp::ShowApps()
{
    // Open already: what the user chose stays chosen while it runs.
    ReadApps(Visible() ? ChosenLine() : std::nullopt);
    ListBoxApps->SetFocus();
    Show();
}

std::optional<TAppLine> TFormChooseApp::ChosenLine()
{
    const int index = ListBoxApps->ItemIndex();
    return index >= 0 ? std::optional(FLines[static_cast<size_t>(index)]) : std::nullopt;
}

void TFormChooseApp::ReadApps(const std::optional<TAppLine>& keep)
{
    FLines = ReadRunningApps(CheckBoxAll->Checked());
    std::vector<std::wstring> texts;
    texts.reserve(FLines.size());
    for (const TAppLine& line : FLines) texts.push_back(line.Text());
    ListBoxApps->SetItems(std::move(texts));
    const auto kept = std::ranges::find_if(FLines, [&keep](const TAppLine& line) {
        return keep && line.processId == keep->processId && line.startTime == keep->startTime;
    });
    ListBoxApps->SetItemIndex(kept == FLines.end() ? -1 : static_cast<int>(kept - FLines.begin()));
    ListBoxAppsClick(ListBoxApps);
}

void TFormChooseApp::ListBoxAppsClick(TComponent*) { ButtonOK->SetEnabled(ListBoxApps->ItemIndex() >= 0); }

void TFormChooseApp::ListBoxAppsDblClick(TComponent*)
{
    if (ListBoxApps->ItemIndex() >= 0) ButtonOKClick(ButtonOK);
}

void TFormChooseApp::CheckBoxAllClick(TComponent*) { ReadApps(ChosenLine()); }

void TFormChooseApp::CannotWait() { Warn(L"このアプリの終了を待つことができません。"); }

void TFormChooseApp::ButtonOKClick(TComponent*)
{
    const std::optional<TAppLine> line = ChosenLine();
    if (!line) return;
    UniqueKernelHandle process;
    switch (OpenApp(*line, process)) {
    case TAppOpening::Gone:
        Warn(L"選んだアプリは既に終了しています。");
        ReadApps(std::nullopt);
        ListBoxApps->SetFocus();
        return;
    case TAppOpening::Refused:
        CannotWait();
        return;
    case TAppOpening::Opened:
        // Nobody to wait for it is as good as a refusal: closing would tell the user it is held.
        if (!OnChosen || !OnChosen(std::move(process), line->fileName)) {
            CannotWait();
            return;
        }
        // Not a close request: that is how Cancel and the close box end the dialog.
        Hide();
        return;
    }
}

void TFormChooseApp::ButtonCancelClick(TComponent*) { Close(); }
