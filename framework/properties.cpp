// The published-property registry and the framework's own registrations.
#include "framework/properties.h"

#include <strings.h>

#include <string>
#include <vector>

#include "framework/combobox.h"
#include "framework/edit.h"
#include "framework/grid.h"
#include "framework/groupbox.h"
#include "framework/label.h"
#include "framework/panel.h"
#include "framework/scrollbox.h"

namespace framework {

namespace {

struct Entry {
  std::string class_name;
  std::string name;
  TOrdGetter get;
  TOrdSetter set;
};

template <class T>
TOrdGetter Getter(int (*f)(T&)) {
  return [f](TObject& o) { return f(static_cast<T&>(o)); };
}
template <class T>
TOrdSetter Setter(void (*f)(T&, int)) {
  return [f](TObject& o, int v) { f(static_cast<T&>(o), v); };
}

void AddColor(std::vector<Entry>& list, const char* cls) {
  list.push_back({cls, "Color", Getter<TControl>([](TControl& c) { return int{c.Color()}; }),
                  Setter<TControl>([](TControl& c, int v) { c.SetColor(v); })});
  list.push_back({cls, "ParentColor",
                  Getter<TControl>([](TControl& c) { return c.ParentColor() ? 1 : 0; }),
                  Setter<TControl>([](TControl& c, int v) { c.SetParentColor(v != 0); })});
}

// "BorderStyle" of a class T with BorderStyle() and SetBorderStyle(TBorderStyle).
template <class T>
void AddBorderStyle(std::vector<Entry>& list, const char* cls) {
  list.push_back({cls, "BorderStyle", Getter<T>([](T& c) { return int{c.BorderStyle()}; }),
                  Setter<T>([](T& c, int v) { c.SetBorderStyle(static_cast<TBorderStyle>(v)); })});
}

std::vector<Entry> BuiltIn() {
  std::vector<Entry> list;
  list.push_back({"TForm", "Color", Getter<TControl>([](TControl& c) { return int{c.Color()}; }),
                  Setter<TControl>([](TControl& c, int v) { c.SetColor(v); })});
  AddBorderStyle<TForm>(list, "TForm");
  for (const char* cls :
       {"TPanel", "TGroupBox", "TLabel", "TCustomEdit", "TComboBox", "TScrollBox", "TCustomGrid"})
    AddColor(list, cls);
  AddBorderStyle<TPanel>(list, "TPanel");
  AddBorderStyle<TCustomEdit>(list, "TCustomEdit");
  AddBorderStyle<TScrollBox>(list, "TScrollBox");
  AddBorderStyle<TCustomGrid>(list, "TCustomGrid");
  list.push_back({"TLabel", "Transparent",
                  Getter<TLabel>([](TLabel& l) { return l.Transparent() ? 1 : 0; }),
                  Setter<TLabel>([](TLabel& l, int v) { l.SetTransparent(v != 0); })});
  return list;
}

std::vector<Entry>& Registry() {
  static std::vector<Entry> registry = BuiltIn();
  return registry;
}

const Entry* Find(const TObject& object, std::string_view name) {
  // Later registrations (more specific classes) win.
  auto& r = Registry();
  for (auto it = r.rbegin(); it != r.rend(); ++it)
    if (it->name.size() == name.size() &&
        strncasecmp(it->name.c_str(), name.data(), name.size()) == 0 &&
        object.InheritsFrom(it->class_name))
      return &*it;
  return nullptr;
}

}  // namespace

void RegisterPublishedProperty(const char* class_name, const char* name, TOrdGetter getter,
                               TOrdSetter setter) {
  Registry().push_back({class_name, name, std::move(getter), std::move(setter)});
}

bool HasPublishedProperty(const TObject& object, std::string_view name) {
  return Find(object, name) != nullptr;
}

bool GetOrdProp(TObject& object, std::string_view name, int& value) {
  const Entry* e = Find(object, name);
  if (!e || !e->get) return false;
  value = e->get(object);
  return true;
}

bool SetOrdProp(TObject& object, std::string_view name, int value) {
  const Entry* e = Find(object, name);
  if (!e || !e->set) return false;
  e->set(object, value);
  return true;
}

bool GetColorProp(TObject& o, TColor& c) { return GetOrdProp(o, "Color", c); }
bool SetColorProp(TObject& o, TColor c) { return SetOrdProp(o, "Color", c); }
bool GetParentColorProp(TObject& o, bool& v) {
  int i = 0;
  if (!GetOrdProp(o, "ParentColor", i)) return false;
  v = i != 0;
  return true;
}
bool SetParentColorProp(TObject& o, bool v) { return SetOrdProp(o, "ParentColor", v ? 1 : 0); }
bool GetBorderStyleProp(TObject& o, int& s) { return GetOrdProp(o, "BorderStyle", s); }
bool SetBorderStyleProp(TObject& o, int s) { return SetOrdProp(o, "BorderStyle", s); }

}  // namespace framework
