// File-system services the program and the skin engine use: existence checks, directory
// creation, the temporary directory, new GUIDs for temporary names, whole-file reads and an
// atomic whole-file replace. Paths are 8-bit (Windows-1252) strings. Thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool CreateDirectory(const std::string& path);  // one level; true when it exists afterwards
bool DeleteFile(const std::string& path);

// The temporary directory, ending in a path separator (GetTempPathA).
std::string TempPath();

// A new GUID in registry form, "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (CoCreateGuid).
std::string NewGuidString();

// Reads a whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data);

// Writes `size` bytes to a temporary file in the same directory, flushes it to disk and
// renames it over `path`, so a failure leaves the previous file intact. False on failure.
bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size);

}  // namespace platform
