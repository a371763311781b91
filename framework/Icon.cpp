#include "framework/Icon.h"

void TIcon::Changed()
{
    if (OnChange) OnChange();
}

void TIcon::Assign(const TIcon* other)
{
    FHandle.reset(other && !other->Empty() ? CopyIcon(other->Handle()) : nullptr);
    Changed();
}

void TIcon::LoadFromResource(HINSTANCE module, const wchar_t* name, int size)
{
    FHandle.reset(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, 0)));
    Changed();
}

void TIcon::Clear()
{
    FHandle.reset();
    Changed();
}
