// Liveness tokens. An object that may be freed while one of its own handlers runs holds an
// AliveToken; before calling out to anything that might free it, the handler takes a Watch()
// and, after the call, touches the object only while the watch is still Alive(). Used by the
// message handler seams (subclass.h), by TControl, and by the skin engine's wrappers.
// UI thread only.
#pragma once

#include <memory>

namespace framework {

class AliveWatch {
 public:
  AliveWatch() = default;  // watches nothing: never alive
  bool Alive() const { return !flag_.expired(); }
  explicit operator bool() const { return Alive(); }

 private:
  friend class AliveToken;
  explicit AliveWatch(std::weak_ptr<const char> flag) : flag_(std::move(flag)) {}
  std::weak_ptr<const char> flag_;
};

// Alive from construction until destruction of its holder (declare it as a member).
class AliveToken {
 public:
  AliveToken() : flag_(std::make_shared<const char>(0)) {}
  AliveToken(const AliveToken&) = delete;
  AliveToken& operator=(const AliveToken&) = delete;

  AliveWatch Watch() const { return AliveWatch(flag_); }

 private:
  std::shared_ptr<const char> flag_;
};

}  // namespace framework
