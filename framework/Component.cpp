#include "framework/Component.h"

#include "framework/Reader.h"

#include <algorithm>
#include <utility>

TComponent::TComponent(TComponent* owner) : owner_(owner)
{
    if (owner_) {
        owner_->components_.push_back(this);
        designing_ = owner_->designing_;
    }
}

TComponent::~TComponent()
{
    SendRemovalNotifications();
    DestroyComponents();
    if (TComponent* owner = std::exchange(owner_, nullptr)) owner->Detach(this);
}

void TComponent::SendRemovalNotifications()
{
    if (std::exchange(removalSent_, true)) return;
    for (TComponent* other : std::exchange(freeLinks_, {})) {
        std::erase(other->freeLinks_, this);
        other->Notification(this);
    }
    if (owner_) owner_->Notification(this);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* last = components_.back();
        last->SendRemovalNotifications();
        std::erase(components_, last);
        last->owner_ = nullptr;
        Free(last);
    }
}

void TComponent::Detach(TComponent* child) { std::erase(components_, child); }

TComponent* TComponent::FindComponent(std::string_view name) const
{
    const auto it =
        std::find_if(components_.begin(), components_.end(), [name](const TComponent* c) { return c->name_ == name; });
    return it == components_.end() ? nullptr : *it;
}

void TComponent::FreeNotification(TComponent* other)
{
    if (!other || other == this) return;
    if (std::find(freeLinks_.begin(), freeLinks_.end(), other) == freeLinks_.end()) {
        freeLinks_.push_back(other);
        other->freeLinks_.push_back(this);
    }
}

void TComponent::Notification(TComponent* removed)
{
    for (TComponent* c : std::vector<TComponent*>(components_))
        if (c != removed) c->Notification(removed);
}

void TComponent::SetDesigning(bool designing)
{
    designing_ = designing;
    for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::ReadState(TReader& reader, const TObjectDesc& desc)
{
    for (const auto& [name, value] : desc.properties) reader.Apply(*this, name, value);
}

bool TComponent::SetProperty(std::string_view name, const TValue& value, TReader&)
{
    if (name == "Tag") {
        tag_ = value.AsInt();
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
