// The late-bound user32 functions of sysapi.h.
#include "skinengine/sysapi.h"

#include <string>

namespace skinengine::user32 {
namespace {

constexpr int kFunctions = 3;
constexpr const char* kNames[kFunctions] = {"GetScrollBarInfo", "GetComboBoxInfo", "GetAncestor"};

// The library and the functions found in it: loaded on the first lookup, released when the
// program ends (or a test resets it).
class LateBoundLibrary {
 public:
  ~LateBoundLibrary() { Release(); }

  // The function's address, looked up on its first request; null once anything is missing.
  FARPROC Find(LateBound function) {
    if (unavailable_) return nullptr;
    Slot& slot = slots_[int(function)];
    if (!slot.lookedUp) {
      slot.lookedUp = true;
      if (!loaded_) {
        loaded_ = true;
        module_ = LoadLibraryA(name_.c_str());
      }
      slot.address = module_ ? GetProcAddress(module_, kNames[int(function)]) : nullptr;
      if (!slot.address) unavailable_ = true;
    }
    return unavailable_ ? nullptr : slot.address;
  }

  bool LookedUp(LateBound function) const { return slots_[int(function)].lookedUp; }
  bool Unavailable() const { return unavailable_; }

  void Reset(const char* name) {
    Release();
    name_ = name;
    loaded_ = unavailable_ = false;
    for (Slot& slot : slots_) slot = Slot{};
  }

 private:
  struct Slot {
    bool lookedUp = false;
    FARPROC address = nullptr;
  };

  void Release() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }

  std::string name_ = "User32.dll";
  HMODULE module_ = nullptr;
  bool loaded_ = false;
  bool unavailable_ = false;
  Slot slots_[kFunctions];
};

LateBoundLibrary& Library() {
  static LateBoundLibrary library;
  return library;
}

// The function as its own type (through the generic function pointer type, which converts
// to any other without a warning), or null.
template <class F>
F Function(LateBound function) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(Library().Find(function)));
}

}  // namespace

BOOL GetScrollBarInfo(HWND window, LONG object, SCROLLBARINFO* info) {
  auto f = Function<decltype(&::GetScrollBarInfo)>(LateBound::GetScrollBarInfo);
  return f ? f(window, object, info) : FALSE;
}

BOOL GetComboBoxInfo(HWND combo, COMBOBOXINFO* info) {
  auto f = Function<decltype(&::GetComboBoxInfo)>(LateBound::GetComboBoxInfo);
  return f ? f(combo, info) : FALSE;
}

HWND GetAncestor(HWND window, UINT flags) {
  auto f = Function<decltype(&::GetAncestor)>(LateBound::GetAncestor);
  return f ? f(window, flags) : nullptr;
}

bool LookedUp(LateBound function) { return Library().LookedUp(function); }
bool Unavailable() { return Library().Unavailable(); }
void ResetForTesting(const char* library) { Library().Reset(library); }

}  // namespace skinengine::user32
