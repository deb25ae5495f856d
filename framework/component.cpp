// TComponent: ownership and removal notifications.
#include "framework/component.h"

#include <strings.h>
#include <algorithm>

namespace framework {

namespace {

void Erase(std::vector<TComponent*>& list, TComponent* c) {
  list.erase(std::remove(list.begin(), list.end(), c), list.end());
}

// The module-wide list of components constructed with an owner whose insertion has not been
// announced yet, oldest first.
std::vector<TComponent*> g_pending_insertions;

}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->AddComponent(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  Erase(g_pending_insertions, this);
  // Partners forget us before we go.
  while (!free_notifies_.empty()) {
    TComponent* other = free_notifies_.back();
    free_notifies_.pop_back();
    Erase(other->free_notifies_, this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    RemoveComponent(c);
    delete c;
  }
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (strcasecmp(c->Name.c_str(), name.c_str()) == 0) return c;
  return nullptr;
}

void TComponent::AddComponent(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
  g_pending_insertions.push_back(component);
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, opInsert);
}

void TComponent::DeliverInsertNotification(TComponent* component) {
  auto it = std::find(g_pending_insertions.begin(), g_pending_insertions.end(), component);
  if (it == g_pending_insertions.end()) return;
  g_pending_insertions.erase(it);
  if (component->owner_) component->owner_->Notification(component, opInsert);
}

void TComponent::DeliverInsertNotifications() {
  while (!g_pending_insertions.empty()) DeliverInsertNotification(g_pending_insertions.front());
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component->owner_ != this) return;
  Erase(g_pending_insertions, component);
  Notification(component, opRemove);
  Erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), other) == free_notifies_.end()) {
    free_notifies_.push_back(other);
    other->free_notifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  Erase(free_notifies_, other);
  Erase(other->free_notifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  // Owned components hear of each other's insertion and removal: a form's controls drop
  // references to a freed component, the skin engine hooks a menu inserted into its form.
  // A copy: a component may create or free others while it listens.
  std::vector<TComponent*> listeners = components_;
  for (TComponent* c : listeners)
    if (c != component && std::find(components_.begin(), components_.end(), c) != components_.end())
      c->Notification(component, operation);
}

}  // namespace framework
