// The published-property registry: which classes publish which properties by name, with
// typed access for code that works on controls it does not know (the skin engine asks
// whether a control has "Color" and reads or changes it). Lookups follow class inheritance:
// a property registered for "TCustomEdit" is published by TEdit and TMemo too. UI thread only.
#pragma once

#include <functional>
#include <string_view>

#include "framework/classinfo.h"
#include "framework/graphics.h"

namespace framework {

// True when `object`'s class (or an ancestor) publishes `name` (case-insensitive).
bool HasPublishedProperty(const TObject& object, std::string_view name);

// Ordinal access (colours, booleans as 0/1, enumerations as their ordinal). False, and no
// change, when the property is not published by the object's class.
bool GetOrdProp(TObject& object, std::string_view name, int& value);
bool SetOrdProp(TObject& object, std::string_view name, int value);

// Typed access to the properties the skin engine uses.
bool GetColorProp(TObject& object, TColor& color);  // "Color"
bool SetColorProp(TObject& object, TColor color);
bool GetParentColorProp(TObject& object, bool& value);  // "ParentColor"
bool SetParentColorProp(TObject& object, bool value);
bool GetBorderStyleProp(TObject& object, int& style);  // "BorderStyle" (TFormBorderStyle)
bool SetBorderStyleProp(TObject& object, int style);

// Adds a published property for `class_name` and its descendants (later issues register
// their controls' properties here).
using TOrdGetter = std::function<int(TObject&)>;
using TOrdSetter = std::function<void(TObject&, int)>;
void RegisterPublishedProperty(const char* class_name, const char* name, TOrdGetter getter,
                               TOrdSetter setter);

}  // namespace framework
