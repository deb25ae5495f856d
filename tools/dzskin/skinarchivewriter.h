// Writes skin archives: the ZIP layout with "SK" as the first two bytes, one raw-DEFLATE entry
// per file (zlib, level 9), optionally encrypted with the traditional PKWARE encryption. Dates
// and times are fixed so the same input always gives the same bytes. Used by the dzskin tool
// and its tests; never by the program. Stateless and thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dzskin {

struct ArchiveFile {
  std::string name;
  std::vector<uint8_t> data;
};

// The DOS date and time written into every header: 1 January 2026, 00:00.
constexpr uint16_t kFixedDosDate = (46 << 9) | (1 << 5) | 1;
constexpr uint16_t kFixedDosTime = 0;

// Lays out the archive. An empty password writes unencrypted entries. False (and `error`)
// when zlib fails, a name is longer than 65535 bytes, or the archive would exceed 4 GB.
bool WriteSkinArchive(const std::vector<ArchiveFile>& files, const std::string& password,
                      std::vector<uint8_t>& out, std::string& error);

}  // namespace dzskin
