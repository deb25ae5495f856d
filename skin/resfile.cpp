// Parsing of the skin resource file (layout in resfile.h) and lookups in its tables.
#include "skin/resfile.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_set>

#include "platform/asciitext.h"
#include "platform/bytereader.h"
#include "platform/bytewriter.h"
#include "skin/bmp.h"

namespace skin {
namespace {

// The value part of a "name=value" line whose name matches, or nullptr.
const std::string* FindLine(const std::vector<std::string>& lines, std::string_view name,
                            std::string_view& value) {
  for (const std::string& line : lines) {
    size_t eq = line.find('=');
    std::string_view lineName = std::string_view(line).substr(0, eq);
    if (eq != std::string::npos && platform::EqualsAsciiNoCase(lineName, name)) {
      value = std::string_view(line).substr(eq + 1);
      return &line;
    }
  }
  return nullptr;
}

bool ParseInt(std::string_view text, int32_t& out) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end;
}

}  // namespace

// The record's fields follow each other in this order, so the reader takes them in turn.
static_assert(kRecordKindAt == kResourceNameSize && kRecordValueOffsetAt == kRecordKindAt + 1 &&
              kRecordValueSizeAt == kRecordValueOffsetAt + 4 &&
              kRecordNextAt == kRecordValueSizeAt + 4 && kResourceRecordSize == kRecordNextAt + 4);

bool ReadResourceRecord(const uint8_t* data, size_t size, size_t offset, TResourceRecord& rec) {
  platform::ByteReader r(data, size);
  r.Seek(offset);
  const uint8_t* name = r.Take(kResourceNameSize);
  rec.kind = r.U8();
  rec.valueOffset = r.U32();
  rec.valueSize = r.U32();
  rec.next = r.U32();
  if (!r.ok()) return false;
  size_t len = 0;
  while (len < kResourceNameSize && name[len] != 0) ++len;
  rec.name.assign(reinterpret_cast<const char*>(name), len);
  return true;
}

void StoreResourceRecord(std::vector<uint8_t>& bytes, size_t at, const TResourceRecord& rec) {
  const size_t nameSize = std::min(rec.name.size(), kResourceNameSize);
  std::memcpy(&bytes[at], rec.name.data(), nameSize);
  std::memset(&bytes[at + nameSize], 0, kResourceNameSize - nameSize);
  bytes[at + kRecordKindAt] = rec.kind;
  platform::StoreLE(bytes, at + kRecordValueOffsetAt, rec.valueOffset, 4);
  platform::StoreLE(bytes, at + kRecordValueSizeAt, rec.valueSize, 4);
  platform::StoreLE(bytes, at + kRecordNextAt, rec.next, 4);
}

const char* ResFileStatusText(ResFileStatus status) {
  switch (status) {
    case ResFileStatus::kOk:
      return "ok";
    case ResFileStatus::kTruncatedHeader:
      return "resource file header is truncated";
    case ResFileStatus::kBadHeaderLength:
      return "resource file header length is too small";
    case ResFileStatus::kRecordOutOfFile:
      return "directory record lies outside the file";
    case ResFileStatus::kValueOutOfFile:
      return "entry value lies outside the file";
    case ResFileStatus::kChainLoops:
      return "directory chain loops";
    case ResFileStatus::kTooManyRecords:
      return "too many directory records";
    case ResFileStatus::kTooMuchData:
      return "too much bitmap or string data";
    case ResFileStatus::kBadBitmap:
      return "bitmap entry is not a valid bitmap";
  }
  return "unknown resource file status";
}

void Tsk2SkinFileReader::Clear() {
  bitmaps_.clear();
  integers_.clear();
  bytes_.clear();
  strings_.clear();
}

ResFileStatus Tsk2SkinFileReader::Parse(const uint8_t* data, size_t size, std::string* detail) {
  Clear();
  platform::ByteReader r(data, size);
  r.Seek(kResourceHeaderLengthAt);
  const uint32_t headerLength = r.U32();
  if (!r.ok()) return ResFileStatus::kTruncatedHeader;
  if (headerLength < kResourceHeaderSize) return ResFileStatus::kBadHeaderLength;
  if (headerLength > size) return ResFileStatus::kTruncatedHeader;
  r.Seek(kResourceFirstRecordAt);
  uint32_t offset = r.U32();

  std::unordered_set<uint32_t> visited;
  int64_t bitmapPixels = 0;
  size_t stringBytes = 0;
  auto fail = [&](ResFileStatus s, const std::string& name) {
    Clear();
    if (detail) *detail = name;
    return s;
  };
  for (;;) {
    if (visited.size() >= kMaxResourceRecords) return fail(ResFileStatus::kTooManyRecords, "");
    if (!visited.insert(offset).second) return fail(ResFileStatus::kChainLoops, "");
    TResourceRecord rec;
    if (!ReadResourceRecord(data, size, offset, rec))
      return fail(ResFileStatus::kRecordOutOfFile, "");
    if (rec.next == 0) break;  // the end marker
    offset = rec.next;

    const uint64_t valueEnd = uint64_t(rec.valueOffset) + rec.valueSize;
    switch (ResourceKind(rec.kind)) {
      case ResourceKind::kBitmap: {
        if (valueEnd > size) return fail(ResFileStatus::kValueOutOfFile, rec.name);
        SkinImage image;
        if (DecodeBmp(data + rec.valueOffset, rec.valueSize, image) != BmpStatus::kOk)
          return fail(ResFileStatus::kBadBitmap, rec.name);
        bitmapPixels += int64_t(image.width) * image.height;
        if (bitmapPixels > kMaxTotalBitmapPixels)
          return fail(ResFileStatus::kTooMuchData, rec.name);
        bitmaps_.emplace_back(rec.name, std::move(image));
        break;
      }
      case ResourceKind::kInteger: {
        platform::ByteReader v(data, size);
        v.Seek(rec.valueOffset);
        int32_t value = v.I32();
        if (!v.ok()) return fail(ResFileStatus::kValueOutOfFile, rec.name);
        integers_.push_back(rec.name + "=" + std::to_string(value));
        break;
      }
      case ResourceKind::kByte: {
        platform::ByteReader v(data, size);
        v.Seek(rec.valueOffset);
        uint8_t value = v.U8();
        if (!v.ok()) return fail(ResFileStatus::kValueOutOfFile, rec.name);
        bytes_.push_back(rec.name + "=" + std::to_string(value));
        break;
      }
      case ResourceKind::kString: {
        if (valueEnd > size) return fail(ResFileStatus::kValueOutOfFile, rec.name);
        stringBytes += rec.valueSize;
        if (stringBytes > kMaxTotalStringBytes) return fail(ResFileStatus::kTooMuchData, rec.name);
        strings_.push_back(
            rec.name + "=" +
            std::string(reinterpret_cast<const char*>(data + rec.valueOffset), rec.valueSize));
        break;
      }
      default:
        break;  // unknown kinds are skipped
    }
  }
  return ResFileStatus::kOk;
}

const SkinImage* Tsk2SkinFileReader::FindBitmap(std::string_view name) const {
  for (const BitmapEntry& e : bitmaps_) {
    if (platform::EqualsAsciiNoCase(e.first, name)) return &e.second;
  }
  return nullptr;
}

SkinImage* Tsk2SkinFileReader::MutableBitmap(std::string_view name) {
  return const_cast<SkinImage*>(std::as_const(*this).FindBitmap(name));
}

int32_t Tsk2SkinFileReader::IntegerValue(std::string_view name) const {
  std::string_view text;
  int32_t value = -1;
  if (!FindLine(integers_, name, text) || !ParseInt(text, value)) return -1;
  return value;
}

int32_t Tsk2SkinFileReader::ByteValue(std::string_view name) const {
  std::string_view text;
  int32_t value = 0;
  if (!FindLine(bytes_, name, text) || !ParseInt(text, value)) return 0;
  return value;
}

bool Tsk2SkinFileReader::StringValue(std::string_view name, std::string& value) const {
  std::string_view text;
  if (!FindLine(strings_, name, text)) return false;
  value.assign(text);
  return true;
}

void Tsk2SkinFileReader::ApplyTransparentColor(ColorRef color) {
  for (BitmapEntry& e : bitmaps_) {
    e.second.transparentMode = TransparentMode::Fixed;
    e.second.transparentColor = color;
  }
}

}  // namespace skin
