// Turns a skin source folder into the entries of a skin resource file (for `dzskin build`):
// one BMP per bitmap key, named after the key ("SKIN2_BUTTON.bmp"; letter case ignored), and
// values.txt with KEY=value lines. Colour keys take "$RRGGBB" or a decimal colour reference, metric
// keys a decimal integer, flag keys 0-255; any other key is stored as a string. Blank lines and
// lines starting with '#' or ';' are ignored. Stateless.
#pragma once

#include <string>
#include <vector>

#include "skin/resfilewriter.h"

namespace dzskin {

// Parses values.txt. False (and `error` naming the line) on a malformed line, a bad value,
// a bitmap key, or a key given twice.
bool ParseValues(const std::string& text, std::vector<skin::ResourceEntry>& entries,
                 std::string& error);

// Reads the folder: bitmaps in key order (each checked to decode), then the values in key
// order, then the strings in file order. Files that are neither a bitmap key's BMP nor
// values.txt are reported in `warnings` and left out.
bool ReadSkinFolder(const std::string& dir, std::vector<skin::ResourceEntry>& entries,
                    std::vector<std::string>& warnings, std::string& error);

}  // namespace dzskin
