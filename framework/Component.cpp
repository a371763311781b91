#include "framework/Component.h"

#include "framework/Reader.h"

#include <algorithm>
#include <utility>

TComponent::TComponent(TComponent* owner) : FOwner(owner)
{
    if (FOwner) {
        FOwner->FComponents.push_back(this);
        FDesigning = FOwner->FDesigning;
    }
}

TComponent::~TComponent()
{
    SendRemovalNotifications();
    DestroyComponents();
    if (TComponent* owner = std::exchange(FOwner, nullptr)) owner->Detach(this);
}

void TComponent::SendRemovalNotifications()
{
    if (std::exchange(FRemovalSent, true)) return;
    for (TComponent* other : std::exchange(FFreeLinks, {})) {
        std::erase(other->FFreeLinks, this);
        other->Notification(this);
    }
    if (FOwner) FOwner->Notification(this);
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        last->SendRemovalNotifications();
        std::erase(FComponents, last);
        last->FOwner = nullptr;
        Free(last);
    }
}

void TComponent::Detach(TComponent* child) { std::erase(FComponents, child); }

TComponent* TComponent::FindComponent(std::string_view name) const
{
    const auto it =
        std::find_if(FComponents.begin(), FComponents.end(), [name](const TComponent* c) { return c->FName == name; });
    return it == FComponents.end() ? nullptr : *it;
}

void TComponent::FreeNotification(TComponent* other)
{
    if (!other || other == this) return;
    if (std::find(FFreeLinks.begin(), FFreeLinks.end(), other) == FFreeLinks.end()) {
        FFreeLinks.push_back(other);
        other->FFreeLinks.push_back(this);
    }
}

void TComponent::Notification(TComponent* removed)
{
    for (TComponent* c : std::vector<TComponent*>(FComponents))
        if (c != removed) c->Notification(removed);
}

void TComponent::SetDesigning(bool designing)
{
    FDesigning = designing;
    for (TComponent* c : FComponents) c->SetDesigning(designing);
}

void TComponent::ReadState(TReader& reader, const TObjectDesc& desc)
{
    for (const auto& [name, value] : desc.properties) reader.Apply(*this, name, value);
}

bool TComponent::SetProperty(std::string_view name, const TValue& value, TReader&)
{
    if (name == "Tag") {
        FTag = value.AsInt();
        return true;
    }
    return false;
}

void Free(TComponent* component)
{
    if (!component) return;
    component->BeforeDestruction();
    component->SendRemovalNotifications();
    delete component;
}
