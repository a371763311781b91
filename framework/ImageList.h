#pragma once
#include "framework/Component.h"

// A list of images; components refer to it without owning it.
class TImageList : public TComponent {
public:
    static constexpr const char* ClassName = "TImageList";
    explicit TImageList(TComponent* owner) : TComponent(owner) { }
};
