// Writes skin resource files (the inverse of Tsk2SkinFileReader::Parse), for the dzskin tool,
// the default skin's build and the tests. Stateless and thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/resfile.h"

namespace skin {

struct ResourceEntry {
  std::string name;  // at most kResourceNameSize bytes, no zero byte
  ResourceKind kind = ResourceKind::kInteger;
  std::vector<uint8_t> value;  // the value bytes as the file stores them
};

ResourceEntry IntegerEntry(const std::string& name, int32_t value);
ResourceEntry ByteEntry(const std::string& name, uint8_t value);
ResourceEntry StringEntry(const std::string& name, const std::string& text);
ResourceEntry BitmapEntry(const std::string& name, std::vector<uint8_t> bmpFile);

// Lays out the header (header length 24, first record at 24, the entry count in bytes 16-19,
// "DZSKINRES" in bytes 0-11), one directory record per entry in order, the end marker, then
// the values. False (and `error` set) when a name is too long or holds a zero byte, or the
// file would exceed 4 GB.
bool WriteResourceFile(const std::vector<ResourceEntry>& entries, std::vector<uint8_t>& out,
                       std::string& error);

}  // namespace skin
