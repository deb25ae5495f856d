// Extraction of one entry of a skin archive ("SK" ZIP layout, raw DEFLATE, optional
// traditional PKWARE encryption) into a file of its own. Used by the skin file reader
// (skinfilereader.h) and the dzskin tool. Never throws; thread-safe (no shared state).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/archivesource.h"
#include "skin/inflate.h"
#include "skin/zipentry.h"

namespace skin {

// Extraction results.
constexpr uint8_t kExtractOk = 0;
// Archive missing or unreadable, not an archive, entry not found, malformed data, empty output.
constexpr uint8_t kExtractFailed = 1;
// Entry encrypted and no password given, password check failed, or output of another size
// than the central directory records (also: output that would exceed it).
constexpr uint8_t kExtractWrongPassword = 2;

// No limit beyond the 32-bit sizes of the archive layout.
constexpr uint64_t kNoExtractLimit = UINT32_MAX;

// Extracts entry `entryName` (letter case ignored) of the archive at `archivePath` into a new
// file at `outputPath`, decrypting with `password` (empty: none given). Returns a result code.
// An entry whose recorded uncompressed size exceeds `maxSize` is refused (result 1) before
// anything is written. On a result other than 0 the output file, if this call created it, is
// deleted.
uint8_t ExtractArchiveEntry(const std::string& archivePath, const std::string& entryName,
                            const std::string& outputPath, const std::string& password,
                            uint64_t maxSize = kNoExtractLimit);

// The extraction of an entry already located: steps over its local header, checks the
// password, inflates into `sink` (never beyond the recorded size) and applies the size rules.
// `written` receives the number of bytes handed to the sink.
uint8_t ExtractEntryData(TArchiveSource& archive, const TZipEntry& entry,
                         const std::string& password, TInflateSink& sink, uint64_t& written);

// The whole extraction over an archive in memory, output appended to `out` (tests, fuzzing).
uint8_t ExtractArchiveEntryFromMemory(const uint8_t* archive, size_t size,
                                      const std::string& entryName, const std::string& password,
                                      std::vector<uint8_t>& out);

}  // namespace skin
