// Creation of a skin file reader from a skin archive: extracts the resource file
// "SKINDATA.SK2" into a temporary file named by a new GUID, parses it and deletes it. This is
// the opener the skin reader (skinreader.h) is given. Thread-safe (no shared state).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "skin/resfile.h"

namespace skin {

// The entry of a skin archive that holds the skin.
inline constexpr const char* kSkinResourceEntry = "SKINDATA.SK2";

// Limit on the recorded size of the resource file: a skin of 84 keys is some tens of
// kilobytes, and a hostile archive must not fill the disk and memory with a huge entry.
constexpr uint64_t kMaxSkinResourceSize = uint64_t{128} << 20;

// The temporary directory with a backslash appended when it ends in no separator, followed by
// a new GUID in registry form (38 characters), without extension.
std::string NewSkinTempFileName();

// Extracts and parses the skin of the archive at `archivePath`. Raises Exception with
// "Wrong password!" on extraction result 2 and "Failed to read skin file!" on result 1 or a
// resource file that does not parse. The temporary file is gone afterwards in every case.
std::unique_ptr<Tsk2SkinFileReader> CreateSkinFileReader(const std::string& archivePath,
                                                         const std::string& password);

}  // namespace skin
