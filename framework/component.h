// TComponent: named, tagged objects that own other components and free them with themselves.
// Forms own their controls; data modules own their datasets. An owner is told (Notification)
// when a component it knows of goes away. UI thread only.
#pragma once

#include <string>
#include <vector>

#include "framework/classinfo.h"

namespace framework {

enum TOperation { opInsert, opRemove };

// ComponentState bits.
enum : unsigned { csLoading = 1, csDestroying = 2, csReading = 4 };

class TComponent : public TObject {
 public:
  DZ_CLASS(TComponent, TObject)
  explicit TComponent(TComponent* owner);
  ~TComponent() override;  // frees every owned component, last first
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  std::string Name;
  int Tag = 0;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  // The owned component called `name` (case-insensitive), or null.
  TComponent* FindComponent(const std::string& name) const;
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  unsigned ComponentState() const { return state_; }
  // Asks `other` to tell this component (Notification opRemove) when it is freed.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // Definitions are applied between BeginLoading and Loaded (stream order, then the
  // end-of-loading notification).
  void BeginLoading() { state_ |= csLoading; }
  virtual void Loaded() { state_ &= ~csLoading; }

 protected:
  // `component` was inserted into or is being removed from this component's world (owned
  // components and free-notification partners).
  virtual void Notification(TComponent* component, TOperation operation);
  // First step of every destructor chain that needs a live object (see TWinControl).
  void SetDestroying() { state_ |= csDestroying; }

 private:
  void DestroyComponents();

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  unsigned state_ = 0;
};

}  // namespace framework
