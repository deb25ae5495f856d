// Encoding and decoding of the ZIP records (see ziplayout.h): each record's values are bound
// to its fields once, and the encoder and the decoder both walk that binding.
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

constexpr TZipField kLocalFields[] = {L::kSignatureField, L::kVersionNeeded,  L::kFlags,
                                      L::kMethod,         L::kTime,           L::kDate,
                                      L::kCrc32,          L::kCompressedSize, L::kUncompressedSize,
                                      L::kNameLength,     L::kExtraLength};
constexpr TZipField kCentralFields[] = {C::kSignatureField,
                                        C::kVersionMadeBy,
                                        C::kVersionNeeded,
                                        C::kFlags,
                                        C::kMethod,
                                        C::kTime,
                                        C::kDate,
                                        C::kCrc32,
                                        C::kCompressedSize,
                                        C::kUncompressedSize,
                                        C::kNameLength,
                                        C::kExtraLength,
                                        C::kCommentLength,
                                        C::kDiskNumberStart,
                                        C::kInternalAttributes,
                                        C::kExternalAttributes,
                                        C::kLocalHeaderOffset};
constexpr TZipField kEndFields[] = {E::kSignatureField,  E::kThisDisk,     E::kDirectoryDisk,
                                    E::kEntriesOnDisk,   E::kEntries,      E::kDirectorySize,
                                    E::kDirectoryOffset, E::kCommentLength};
static_assert(FieldsTile(kLocalFields, L::kSize));
static_assert(FieldsTile(kCentralFields, C::kSize));
static_assert(FieldsTile(kEndFields, E::kSize));

// Which value goes into which field; fields without a binding (signature aside) are 0.
template <class Values>
struct TBinding {
  TZipField field;
  uint32_t Values::*value;
};

constexpr TBinding<TZipEntry> kLocalBinding[] = {
    {L::kVersionNeeded, &TZipEntry::versionNeeded},
    {L::kFlags, &TZipEntry::flags},
    {L::kMethod, &TZipEntry::method},
    {L::kTime, &TZipEntry::time},
    {L::kDate, &TZipEntry::date},
    {L::kCrc32, &TZipEntry::crc32},
    {L::kCompressedSize, &TZipEntry::compressedSize},
    {L::kUncompressedSize, &TZipEntry::uncompressedSize},
    {L::kNameLength, &TZipEntry::nameLength},
    {L::kExtraLength, &TZipEntry::extraLength},
};
constexpr TBinding<TZipEntry> kCentralBinding[] = {
    {C::kVersionMadeBy, &TZipEntry::versionMadeBy},
    {C::kVersionNeeded, &TZipEntry::versionNeeded},
    {C::kFlags, &TZipEntry::flags},
    {C::kMethod, &TZipEntry::method},
    {C::kTime, &TZipEntry::time},
    {C::kDate, &TZipEntry::date},
    {C::kCrc32, &TZipEntry::crc32},
    {C::kCompressedSize, &TZipEntry::compressedSize},
    {C::kUncompressedSize, &TZipEntry::uncompressedSize},
    {C::kNameLength, &TZipEntry::nameLength},
    {C::kExtraLength, &TZipEntry::extraLength},
    {C::kCommentLength, &TZipEntry::commentLength},
    {C::kLocalHeaderOffset, &TZipEntry::localHeaderOffset},
};
constexpr TBinding<TZipEndRecord> kEndBinding[] = {
    {E::kEntriesOnDisk, &TZipEndRecord::entries},
    {E::kEntries, &TZipEndRecord::entries},
    {E::kDirectorySize, &TZipEndRecord::directorySize},
    {E::kDirectoryOffset, &TZipEndRecord::directoryOffset},
    {E::kCommentLength, &TZipEndRecord::commentLength},
};

template <class Record, class Values, size_t N>
void Append(std::vector<uint8_t>& out, const TBinding<Values> (&binding)[N], const Values& v) {
  const size_t at = out.size();
  out.resize(at + Record::kSize, 0);
  WriteZipField(out, at, Record::kSignatureField, Record::kSignature);
  for (const TBinding<Values>& b : binding) WriteZipField(out, at, b.field, v.*b.value);
}

template <class Record, class Values, size_t N>
Values Decode(const uint8_t* fixed, const TBinding<Values> (&binding)[N]) {
  platform::ByteReader r(fixed, Record::kSize);
  Values v;
  for (const TBinding<Values>& b : binding) v.*b.value = ReadZipField(r, 0, b.field);
  return v;
}

}  // namespace

uint32_t ReadZipField(platform::ByteReader& r, size_t record, TZipField field) {
  r.Seek(record + field.offset);
  return field.size == 2 ? r.U16() : r.U32();
}

void WriteZipField(std::vector<uint8_t>& bytes, size_t record, TZipField field, uint32_t value) {
  platform::StoreLE(bytes, record + field.offset, value, field.size);
}

TZipEntry DecodeZipCentralEntry(const uint8_t* fixed) { return Decode<C>(fixed, kCentralBinding); }

bool DecodeZipEndRecord(const uint8_t* fixed, TZipEndRecord& end) {
  platform::ByteReader r(fixed, E::kSize);
  if (ReadZipField(r, 0, E::kSignatureField) != E::kSignature) return false;
  end = Decode<E>(fixed, kEndBinding);
  return true;
}

void AppendZipLocalHeader(std::vector<uint8_t>& out, const TZipEntry& entry) {
  Append<L>(out, kLocalBinding, entry);
}

void AppendZipCentralEntry(std::vector<uint8_t>& out, const TZipEntry& entry) {
  Append<C>(out, kCentralBinding, entry);
}

void AppendZipEndRecord(std::vector<uint8_t>& out, const TZipEndRecord& end) {
  Append<E>(out, kEndBinding, end);
}

}  // namespace skin
