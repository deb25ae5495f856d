// The contact sheet of the default skin: a preview window assembled from the skin's pieces,
// the colour swatches and every bitmap enlarged with its key name, for review. Build-time only.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "skin/skinimage.h"

namespace skingen {

skin::SkinImage DrawContactSheet(
    const std::vector<std::pair<std::string, skin::SkinImage>>& bitmaps);

}  // namespace skingen
