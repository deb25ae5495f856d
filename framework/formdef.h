// Form definitions: a form (or data module) is built from a declarative description in code:
// the root's own properties, then each component with its class, name, the form field that
// keeps it, its properties and events (applied in stream order, after its parent is set), and
// its children. When everything is applied every component gets Loaded (the end-of-loading
// notification), the root first, then the form's OnCreate runs. UI thread only.
//
//   LoadDefinition(*this, [](TForm& f) { f.SetCaption("Doziviz v1"); }, {
//     Def<TGroupBox>("gbDatabase", gbDatabase, [](TGroupBox& c) { c.SetAlign(alClient); }, {
//       Def<TPanel>("Panel1", Panel1, [](TPanel& c) { ... }),
//     }),
//   });
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/component.h"

namespace framework {

struct TComponentDef {
  std::string Name;
  std::function<TComponent*(TComponent* owner)> Create;
  std::function<void(TComponent*)> Bind;   // stores the component in the form's field
  std::function<void(TComponent&)> Apply;  // properties and events in stream order
  std::vector<TComponentDef> Children;
};

template <class T>
TComponentDef Def(const std::string& name, T*& field, std::function<void(T&)> apply,
                  std::vector<TComponentDef> children = {}) {
  T** slot = &field;
  return {name, [](TComponent* owner) -> TComponent* { return new T(owner); },
          [slot](TComponent* c) { *slot = static_cast<T*>(c); },
          [apply](TComponent& c) {
            if (apply) apply(static_cast<T&>(c));
          },
          std::move(children)};
}

template <class T>
TComponentDef Def(const std::string& name, std::function<void(T&)> apply,
                  std::vector<TComponentDef> children = {}) {
  return {name, [](TComponent* owner) -> TComponent* { return new T(owner); }, nullptr,
          [apply](TComponent& c) {
            if (apply) apply(static_cast<T&>(c));
          },
          std::move(children)};
}

// Applies a definition to `root` (which owns every component created). Controls are parented
// to the control of the enclosing definition (the root for top-level entries).
void LoadDefinition(TComponent& root, const std::function<void(TComponent&)>& root_apply,
                    const std::vector<TComponentDef>& components);

// The same with the root's own type.
template <class R>
void LoadDefinition(R& root, std::function<void(R&)> root_apply,
                    const std::vector<TComponentDef>& components) {
  LoadDefinition(
      static_cast<TComponent&>(root),
      [root_apply](TComponent& c) {
        if (root_apply) root_apply(static_cast<R&>(c));
      },
      components);
}

}  // namespace framework
