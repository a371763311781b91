#pragma once
#include "framework/Form.h"
#include "framework/Handles.h"
#include <functional>
#include <string>
class TFormChooseApp : public TForm {
public:
    static constexpr const char* ClassName = "TFormChooseApp";
    static const char* const Description;
    explicit TFormChooseApp(TComponent* owner) : TForm(owner) { }
    void ShowApps();
    std::function<bool(UniqueKernelHandle process, const std::wstring& fileName)> OnChosen;
};
