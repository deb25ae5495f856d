// The skin resource file ("SKINDATA.SK2" inside a skin archive): a chain of 77-byte directory
// records naming bitmaps, integers, bytes and strings. Tsk2SkinFileReader holds the four name
// tables parsed from it; ZizoSkinReader reads them by key. The file is untrusted: a chain that
// leaves the file, loops or grows beyond the limits below fails the parse cleanly.
// A reader is immutable after parsing except for ApplyTransparentColor / MutableBitmap;
// not thread-safe while being changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "skin/skinimage.h"

namespace skin {

// Record kinds; other values are skipped.
enum class ResourceKind : uint8_t { kBitmap = 0, kInteger = 1, kByte = 2, kString = 3 };

constexpr size_t kResourceHeaderSize = 24;
constexpr size_t kResourceRecordSize = 77;
constexpr size_t kResourceNameSize = 64;

// Limits on hostile input. A skin has 84 keys, so a few thousand records is ample; the value
// limits stop a chain whose records all point at one large value from multiplying it.
constexpr size_t kMaxResourceRecords = 4096;
constexpr int64_t kMaxTotalBitmapPixels = int64_t(1) << 24;  // 64 MB of decoded colours
constexpr size_t kMaxTotalStringBytes = size_t(4) << 20;

enum class ResFileStatus {
  kOk,
  kTruncatedHeader,  // fewer than 24 bytes, or a header length beyond the file
  kBadHeaderLength,  // header length below 24: the first record offset would be missing
  kRecordOutOfFile,  // a directory record does not lie wholly inside the file
  kValueOutOfFile,   // an entry's value does not lie wholly inside the file
  kChainLoops,       // a next-record offset leads back to a record already read
  kTooManyRecords,   // more than kMaxResourceRecords records
  kTooMuchData,      // bitmaps or strings beyond the total limits
  kBadBitmap,        // a bitmap value that is not a bitmap file we can decode
};

const char* ResFileStatusText(ResFileStatus status);

class Tsk2SkinFileReader {
 public:
  using BitmapEntry = std::pair<std::string, SkinImage>;

  Tsk2SkinFileReader() = default;

  // Parses a whole resource file held in memory into the four tables. On failure the tables
  // are empty and the status says why (`detail`, when given, adds the offending entry).
  ResFileStatus Parse(const uint8_t* data, size_t size, std::string* detail = nullptr);

  // The bitmap of the first bitmap entry of that name (letter case ignored), or nullptr.
  const SkinImage* FindBitmap(std::string_view name) const;
  SkinImage* MutableBitmap(std::string_view name);
  // The integer of that name; -1 when missing or not a number.
  int32_t IntegerValue(std::string_view name) const;
  // The byte of that name; 0 when missing or not a number.
  int32_t ByteValue(std::string_view name) const;
  // The string of that name, and whether it exists.
  bool StringValue(std::string_view name, std::string& value) const;

  // Every bitmap gets `color` as its fixed transparent colour.
  void ApplyTransparentColor(ColorRef color);

  // The tables, in file order: bitmaps with their names, then "name=value" lines.
  const std::vector<BitmapEntry>& Bitmaps() const { return bitmaps_; }
  const std::vector<std::string>& Integers() const { return integers_; }
  const std::vector<std::string>& Bytes() const { return bytes_; }
  const std::vector<std::string>& Strings() const { return strings_; }

 private:
  void Clear();

  std::vector<BitmapEntry> bitmaps_;
  std::vector<std::string> integers_;
  std::vector<std::string> bytes_;
  std::vector<std::string> strings_;
};

}  // namespace skin
