#pragma once
// Components: an owner destroys what it owns, in reverse order of creation, and
// components that refer to each other are told when one of them goes.
#include <string>
#include <string_view>
#include <vector>

class TReader;
struct TObjectDesc;

class TComponent {
public:
    static constexpr const char* ClassName = "TComponent";

    explicit TComponent(TComponent* owner);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent();

    TComponent* Owner() const { return FOwner; }
    const std::vector<TComponent*>& Components() const { return FComponents; }
    TComponent* FindComponent(std::string_view name) const;

    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    int Tag() const { return FTag; }
    void SetTag(int tag) { FTag = tag; }

    // Asks to be told (Notification) when `other` is destroyed; works both ways.
    void FreeNotification(TComponent* other);
    // Told that `removed` is being destroyed; the base passes it on to owned components.
    virtual void Notification(TComponent* removed);

    bool Loading() const { return FLoading; }
    bool Designing() const { return FDesigning; }
    void SetDesigning(bool designing);
    void SetLoading(bool loading) { FLoading = loading; }

    // Reads this component's stored properties, in their stored order.
    virtual void ReadState(TReader& reader, const TObjectDesc& desc);
    // One stored property; false when this class does not publish it.
    virtual bool SetProperty(std::string_view name, const struct TValue& value, TReader& reader);
    // The end-of-loading hook, once all stored properties are in place.
    virtual void Loaded() { FLoading = false; }
    // Places a component read inside this one's description (a control in its
    // parent, an item in its menu).
    virtual void SetParentComponent(TComponent*) { }
    // Runs before destruction starts, while the whole object is still intact.
    virtual void BeforeDestruction() { }

    // Tells every component that refers to this one that it goes, while it is still whole.
    void SendRemovalNotifications();

protected:
    void DestroyComponents();

private:
    void Detach(TComponent* child);

    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeLinks;
    std::string FName;
    int FTag = 0;
    bool FLoading = false;
    bool FDesigning = false;
    bool FRemovalSent = false;
};

// Destroys a component as its owner would: BeforeDestruction, then delete.
void Free(TComponent* component);
