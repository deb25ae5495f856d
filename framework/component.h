// TComponent: named, tagged objects that own other components and free them with themselves.
// Forms own their controls; data modules own their datasets. An owner and its other
// components are told (Notification) when a component is inserted or goes away; partners that
// asked for it (FreeNotification) are told when it goes away. UI thread only.
//
// Insertion is announced once the inserted object is complete (a notification from inside the
// base constructor would show a bare TComponent): InsertComponent announces at once; a
// component constructed with an owner is announced by DeliverInsertNotification, which the
// definition loader and CreateForm call right after creating it and the message loop calls for
// everything still waiting.
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
  // Joins `owner` (when not null); the owner hears of it through DeliverInsertNotification.
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
  // Takes `component` over from its owner and announces it at once.
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  // Announces `component`'s insertion to its owner now, if it is still waiting (call once its
  // construction is complete).
  static void DeliverInsertNotification(TComponent* component);
  // Announces every insertion still waiting, in construction order.
  static void DeliverInsertNotifications();

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
  // components and free-notification partners). The base passes the news on to the owned
  // components other than `component`.
  virtual void Notification(TComponent* component, TOperation operation);
  // First step of every destructor chain that needs a live object (see TWinControl).
  void SetDestroying() { state_ |= csDestroying; }
  // Frees every owned component, the last inserted first. A form calls it at the start of its
  // destructor, so its components go while it is whole.
  void DestroyComponents();

 private:
  void AddComponent(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  unsigned state_ = 0;
};

}  // namespace framework
