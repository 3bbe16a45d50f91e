// Object model of the library: TObject (the root that events name as their
// sender), TPersistent (assignment between objects) and TComponent
// (ownership, names and removal notification).
//
// Ownership: a component created with an owner is deleted by that owner,
// last created first. Deleting a component directly is equally safe: its
// owner forgets it, and every component that asked for FreeNotification
// receives Notification(component, opRemove) before the memory goes.
// A subclass whose owned components use the subclass's own members while
// they are destroyed calls DestroyComponents() first in its destructor.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/SysUtils.h"

namespace nuv {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // The unqualified class name ("TMatrix").
  std::string ClassName() const;
  // The spelling of deletion that callers may need by name.
  void Free() { delete this; }
};

// Events: Sender first; an empty std::function means "not assigned".
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  // Copies Source into this object. The default asks Source.AssignTo, which
  // raises EConvertError "Cannot assign a <Source> to a <Dest>".
  virtual void Assign(const TPersistent& Source);

 protected:
  virtual void AssignTo(TPersistent& Dest) const;
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

class EComponentError : public Exception {
  using Exception::Exception;
};

enum TOperation : uint8_t { opInsert, opRemove };

// Component states.
enum TComponentStateFlag : uint8_t { csLoading = 1, csDestroying = 2, csDesigning = 4 };

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int32_t ComponentCount() const { return static_cast<int32_t>(components_.size()); }
  // Owned component by 0-based index; nullptr outside the range.
  TComponent* Components(int32_t index) const;
  // Owned component of that name (case-insensitive), or nullptr.
  TComponent* FindComponent(std::string_view name) const;

  const std::string& Name() const { return name_; }
  // Name must be empty or an identifier (letter or "_", then letters, digits
  // and "_") unique among the owner's components; otherwise raises
  // EComponentError.
  virtual void SetName(std::string_view name);

  uint8_t ComponentState() const { return state_; }
  bool Loading() const { return (state_ & csLoading) != 0; }
  bool Destroying() const { return (state_ & csDestroying) != 0; }

  // Properties are set between BeginLoad and Loaded as a form reader would
  // stream them in; Loaded clears csLoading.
  void BeginLoad() { state_ |= csLoading; }
  virtual void Loaded();

  // Asks for Notification(AComponent, opRemove) when AComponent is
  // deleted; the request is mutual, so either side may go first.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Deletes every owned component, last first.
  void DestroyComponents();

 protected:
  // Called on the owner when a component is inserted or removed, and on
  // every component that asked for FreeNotification of one being deleted.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  // "Component \"" + Name + "\": " + text, the wording of every component
  // error.
  std::string ComponentMessage(std::string_view text) const;

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void ForgetNotifier(TComponent* AComponent);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  std::string name_;
  uint8_t state_ = 0;
};

// The component error message outside a member (for helpers that raise on
// behalf of a component).
std::string ComponentMessage(const TComponent& Component, std::string_view text);

// Raises E with the component message.
template <class E>
[[noreturn]] void RaiseComponentError(const TComponent& Component, std::string_view text) {
  throw E(ComponentMessage(Component, text));
}

}  // namespace nuv
