#include "framework/Icon.h"

void TIcon::Changed()
{
    if (OnChange) OnChange();
}

void TIcon::Assign(const TIcon* other)
{
    handle_.reset(other && !other->Empty() ? CopyIcon(other->Handle()) : nullptr);
    Changed();
}

void TIcon::LoadFromResource(HINSTANCE module, const wchar_t* name, int size)
{
    handle_.reset(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, 0)));
    Changed();
}

void TIcon::Clear()
{
    handle_.reset();
    Changed();
}
