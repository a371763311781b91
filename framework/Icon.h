#pragma once
#include "framework/Handles.h"

#include <functional>

// Owns one native icon, or none; tells its holder of every change.
class TIcon {
public:
    bool Empty() const { return !FHandle; }
    HICON Handle() const { return FHandle.get(); }

    // Takes a copy of the other icon's image (an empty one empties this).
    void Assign(const TIcon* other);
    void LoadFromResource(HINSTANCE module, const wchar_t* name, int size);
    void Clear();

    std::function<void()> OnChange;

private:
    void Changed();

    UniqueIcon FHandle;
};
