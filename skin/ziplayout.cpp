// Encoding and decoding of the ZIP records (see ziplayout.h): an entry's values are bound to
// their fields once, and the encoders and the decoder all walk that binding.
#include "skin/ziplayout.h"

#include "platform/bytewriter.h"

namespace skin {

namespace {

using L = ZipLocalHeader;
using C = ZipCentralEntry;
using E = ZipEndRecord;

// True when `fields`, in order, cover a record of `size` bytes without gap or overlap: a
// mistyped offset or size in the tables fails the build.
template <size_t N>
constexpr bool FieldsTile(const TZipField (&fields)[N], size_t size) {
  size_t at = 0;
  for (const TZipField& f : fields) {
    if (f.offset != at || (f.size != 2 && f.size != 4)) return false;
    at += f.size;
  }
  return at == size;
}

// clang-format off
constexpr TZipField kLocalFields[] = {
    L::kSignatureField, L::kVersionNeeded, L::kFlags, L::kMethod, L::kTime, L::kDate, L::kCrc32,
    L::kCompressedSize, L::kUncompressedSize, L::kNameLength, L::kExtraLength};
constexpr TZipField kCentralFields[] = {
    C::kSignatureField, C::kVersionMadeBy, C::kVersionNeeded, C::kFlags, C::kMethod, C::kTime,
    C::kDate, C::kCrc32, C::kCompressedSize, C::kUncompressedSize, C::kNameLength,
    C::kExtraLength, C::kCommentLength, C::kDiskNumberStart, C::kInternalAttributes,
    C::kExternalAttributes, C::kLocalHeaderOffset};
constexpr TZipField kEndFields[] = {
    E::kSignatureField, E::kThisDisk, E::kDirectoryDisk, E::kEntriesOnDisk, E::kEntries,
    E::kDirectorySize, E::kDirectoryOffset, E::kCommentLength};
// clang-format on
static_assert(FieldsTile(kLocalFields, L::kSize));
static_assert(FieldsTile(kCentralFields, C::kSize));
static_assert(FieldsTile(kEndFields, E::kSize));

// Where each value of an entry goes: its central directory field and its local header field
// (size 0: the local header has none). Fields without a value (signatures aside) are 0.
struct TEntryField {
  uint32_t TZipEntry::*value;
  TZipField central;
  TZipField local;
};
constexpr TZipField kNotLocal{0, 0};

// clang-format off
constexpr TEntryField kEntryFields[] = {
    // value                          central directory entry   local header
    {&TZipEntry::versionMadeBy,     C::kVersionMadeBy,        kNotLocal},
    {&TZipEntry::versionNeeded,     C::kVersionNeeded,        L::kVersionNeeded},
    {&TZipEntry::flags,             C::kFlags,                L::kFlags},
    {&TZipEntry::method,            C::kMethod,               L::kMethod},
    {&TZipEntry::time,              C::kTime,                 L::kTime},
    {&TZipEntry::date,              C::kDate,                 L::kDate},
    {&TZipEntry::crc32,             C::kCrc32,                L::kCrc32},
    {&TZipEntry::compressedSize,    C::kCompressedSize,       L::kCompressedSize},
    {&TZipEntry::uncompressedSize,  C::kUncompressedSize,     L::kUncompressedSize},
    {&TZipEntry::nameLength,        C::kNameLength,           L::kNameLength},
    {&TZipEntry::extraLength,       C::kExtraLength,          L::kExtraLength},
    {&TZipEntry::commentLength,     C::kCommentLength,        kNotLocal},
    {&TZipEntry::localHeaderOffset, C::kLocalHeaderOffset,    kNotLocal},
};
// clang-format on

// Appends a record of `size` zero bytes that starts with `signature`; returns where it starts.
size_t AppendRecord(std::vector<uint8_t>& out, size_t size, TZipField signatureField,
                    uint32_t signature) {
  const size_t at = out.size();
  out.resize(at + size, 0);
  WriteZipField(out, at, signatureField, signature);
  return at;
}

}  // namespace

uint32_t ReadZipField(platform::ByteReader& r, size_t record, TZipField field) {
  r.Seek(record + field.offset);
  return field.size == 2 ? r.U16() : r.U32();
}

void WriteZipField(std::vector<uint8_t>& bytes, size_t record, TZipField field, uint32_t value) {
  platform::StoreLE(bytes, record + field.offset, value, field.size);
}

TZipEntry DecodeZipCentralEntry(const uint8_t* fixed) {
  platform::ByteReader r(fixed, C::kSize);
  TZipEntry e;
  for (const TEntryField& f : kEntryFields) e.*f.value = ReadZipField(r, 0, f.central);
  return e;
}

bool DecodeZipEndRecord(const uint8_t* fixed, TZipEndRecord& end) {
  platform::ByteReader r(fixed, E::kSize);
  if (ReadZipField(r, 0, E::kSignatureField) != E::kSignature) return false;
  end.entries = ReadZipField(r, 0, E::kEntries);
  end.directorySize = ReadZipField(r, 0, E::kDirectorySize);
  end.directoryOffset = ReadZipField(r, 0, E::kDirectoryOffset);
  end.commentLength = ReadZipField(r, 0, E::kCommentLength);
  return true;
}

void AppendZipLocalHeader(std::vector<uint8_t>& out, const TZipEntry& e) {
  const size_t at = AppendRecord(out, L::kSize, L::kSignatureField, L::kSignature);
  for (const TEntryField& f : kEntryFields) {
    if (f.local.size != 0) WriteZipField(out, at, f.local, e.*f.value);
  }
}

void AppendZipCentralEntry(std::vector<uint8_t>& out, const TZipEntry& e) {
  const size_t at = AppendRecord(out, C::kSize, C::kSignatureField, C::kSignature);
  for (const TEntryField& f : kEntryFields) WriteZipField(out, at, f.central, e.*f.value);
}

void AppendZipEndRecord(std::vector<uint8_t>& out, const TZipEndRecord& end) {
  const size_t at = AppendRecord(out, E::kSize, E::kSignatureField, E::kSignature);
  WriteZipField(out, at, E::kEntriesOnDisk, end.entries);
  WriteZipField(out, at, E::kEntries, end.entries);
  WriteZipField(out, at, E::kDirectorySize, end.directorySize);
  WriteZipField(out, at, E::kDirectoryOffset, end.directoryOffset);
  WriteZipField(out, at, E::kCommentLength, end.commentLength);
}

}  // namespace skin
