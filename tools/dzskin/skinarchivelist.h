// Lists the entries of a skin archive from its central directory (for `dzskin list`). Reads
// untrusted bytes: every offset is checked against the data. Stateless and thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dzskin {

struct ArchiveEntryInfo {
  std::string name;
  uint32_t compressedSize = 0;
  uint32_t size = 0;
  uint16_t method = 0;
  bool encrypted = false;
};

// False (and `error`) when the bytes are not a skin archive ("SK" first, end record at
// size - 22 without comment) or the directory runs outside the data.
bool ListSkinArchive(const std::vector<uint8_t>& archive, std::vector<ArchiveEntryInfo>& entries,
                     std::string& error);

}  // namespace dzskin
