#pragma once
#include "framework/Handles.h"

#include <functional>
#include <string>
#include <string_view>

struct TValue;

// A logical font; the native font is made when first asked for.
class TFont {
public:
    TFont();

    const std::string& Name() const { return FName; } // code page 932
    int Height() const { return FHeight; } // negative: character height in pixels

    void SetName(std::string name);
    void SetHeight(int height);
    void SetCharset(int charset);
    void SetBold(bool bold);
    // "Name", "Height", "Charset", "Color", "Style" of a stored description.
    bool SetProperty(std::string_view name, const TValue& value);

    HFONT Handle() const;
    std::function<void()> OnChange;

private:
    void Changed();

    std::string FName;
    int FHeight;
    int FCharset;
    bool FBold = false;
    mutable UniqueFont FHandle;
};
