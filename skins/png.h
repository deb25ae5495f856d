// PNG encoding for the default skin's generator: the contact sheet is written as PNG, for
// review. Build-time only; not part of the program.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/skinimage.h"

namespace skingen {

// Encodes an image as a 24-bit PNG (zlib, fixed settings: the same image gives the same bytes).
std::vector<uint8_t> EncodePng(const skin::SkinImage& img);

}  // namespace skingen
