// Class identity by name with inheritance: every framework class answers its ClassName() and
// InheritsFrom(name) for itself and each ancestor. The skin engine decides by these names.
// Declare it in a class body with DZ_CLASS(Self, Base) in a public section.
#pragma once

#include <string_view>

namespace framework {

class TObject {
 public:
  virtual ~TObject() = default;
  virtual const char* ClassName() const { return "TObject"; }
  // True when this object's class, or one of its ancestors, is called `name` (exact case).
  virtual bool InheritsFrom(std::string_view name) const { return name == "TObject"; }
};

}  // namespace framework

#define DZ_CLASS(Self, Base)                                \
  const char* ClassName() const override { return #Self; }  \
  bool InheritsFrom(std::string_view name) const override { \
    return name == #Self || Base::InheritsFrom(name);       \
  }
