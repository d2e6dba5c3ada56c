// Components: named objects with an owner that frees them, loading state and free notification.
// A component belongs to its owner: the owner's destructor frees every component it still owns,
// newest first, and a component freed earlier leaves its owner's list itself. So a component
// with an owner is created with new; one without an owner may live anywhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/SysUtils.h"

namespace kovra {

enum TComponentStateFlag : std::uint16_t {
  csLoading = 0x01,  // properties are being set up; Loaded follows
  csReading = 0x02,
  csWriting = 0x04,
  csDestroying = 0x08,  // the destructor has begun
  csDesigning = 0x10,   // never set at run time; kept for the controls that test it
  csUpdating = 0x20,
};
using TComponentState = std::uint16_t;

enum TOperation : std::uint8_t { opInsert, opRemove };

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  virtual void SetName(std::string_view name) { name_ = name; }
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t tag) { tag_ = tag; }
  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return (state_ & csLoading) != 0; }
  bool IsDestroying() const { return (state_ & csDestroying) != 0; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
  TComponent* FindComponent(std::string_view name) const;

  // Property setup in a constructor can be bracketed: components created meanwhile with this
  // owner start in the loading state too, and EndLoading runs Loaded on them and then on this.
  void BeginLoading();
  void EndLoading();

  // Ask to be told (Notification with opRemove) when `other` is freed; both directions are
  // undone automatically.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

 protected:
  virtual void Loaded() {}
  virtual void Notification(TComponent* component, TOperation operation);
  void SetComponentState(TComponentState flags) { state_ |= flags; }
  void ClearComponentState(TComponentState flags) {
    state_ &= static_cast<TComponentState>(~flags);
  }
  // Derived destructors call this first, so that virtual calls during teardown see the flag.
  void Destroying() { state_ |= csDestroying; }

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  TComponent* owner_ = nullptr;
  std::string name_;
  intptr_t tag_ = 0;
  TComponentState state_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> notified_;  // both directions of free notification
};

}  // namespace kovra
