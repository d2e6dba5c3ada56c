#include "framework/Components.h"

#include <algorithm>

namespace kovra {

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* c) {
  list.erase(std::remove(list.begin(), list.end(), c), list.end());
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) {
    if (owner->IsLoading()) state_ |= csLoading;
    owner->InsertComponent(this);
  }
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  // Tell everyone who asked, then forget them; each side removes the other.
  while (!notified_.empty()) {
    TComponent* other = notified_.back();
    notified_.pop_back();
    Erase(other->notified_, this);
    other->Notification(this, opRemove);
  }
  while (!components_.empty()) delete components_.back();  // each leaves the list itself
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* c) {
  components_.push_back(c);
  c->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* c) {
  Erase(components_, c);
  c->owner_ = nullptr;
  Notification(c, opRemove);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (c->name_ == name) return c;
  return nullptr;
}

void TComponent::BeginLoading() {
  state_ |= csLoading;
}

void TComponent::EndLoading() {
  if (!IsLoading()) return;
  // A Loaded handler may create more components; walk a snapshot.
  const std::vector<TComponent*> owned = components_;
  for (TComponent* c : owned) {
    if (std::find(components_.begin(), components_.end(), c) == components_.end()) continue;
    if (c->IsLoading()) {
      c->ClearComponentState(csLoading);
      c->Loaded();
    }
  }
  ClearComponentState(csLoading);
  Loaded();
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(notified_.begin(), notified_.end(), other) == notified_.end()) {
    notified_.push_back(other);
    other->notified_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  Erase(notified_, other);
  Erase(other->notified_, this);
}

void TComponent::Notification(TComponent*, TOperation) {}

}  // namespace kovra
