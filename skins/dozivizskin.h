// The program's default skin, "Doziviz steel": draws every bitmap of the skin and lists its
// colours, metrics and flags. Used by the skin generator at build time; deterministic (the
// same bitmaps and values every run).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "skin/skinimage.h"

namespace skingen {

// Every bitmap key with its picture, in key order.
std::vector<std::pair<std::string, skin::SkinImage>> DrawDefaultSkinBitmaps();

// The values.txt text: colours as $RRGGBB, metrics and flags as decimals.
std::string DefaultSkinValues();

// The colour values, for the contact sheet's preview: key name -> colour reference.
skin::ColorRef DefaultSkinColor(const std::string& key);

}  // namespace skingen
