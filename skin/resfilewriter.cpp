// Resource file writer; the layout is documented in resfile.h.
#include "skin/resfilewriter.h"

#include <cstring>
#include <limits>

#include "platform/bytewriter.h"

namespace skin {

ResourceEntry IntegerEntry(const std::string& name, int32_t value) {
  uint32_t u = uint32_t(value);
  return {name,
          ResourceKind::kInteger,
          {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)}};
}

ResourceEntry ByteEntry(const std::string& name, uint8_t value) {
  return {name, ResourceKind::kByte, {value}};
}

ResourceEntry StringEntry(const std::string& name, const std::string& text) {
  return {name, ResourceKind::kString, std::vector<uint8_t>(text.begin(), text.end())};
}

ResourceEntry BitmapEntry(const std::string& name, std::vector<uint8_t> bmpFile) {
  return {name, ResourceKind::kBitmap, std::move(bmpFile)};
}

bool WriteResourceFile(const std::vector<ResourceEntry>& entries, std::vector<uint8_t>& out,
                       std::string& error) {
  const size_t records = entries.size() + 1;  // the end marker closes the chain
  size_t total = kResourceHeaderSize + records * kResourceRecordSize;
  for (const ResourceEntry& e : entries) {
    if (e.name.size() > kResourceNameSize || e.name.find('\0') != std::string::npos) {
      error = "entry name too long or holds a zero byte: " + e.name;
      return false;
    }
    total += e.value.size();
  }
  if (total > std::numeric_limits<uint32_t>::max()) {
    error = "resource file would exceed 4 GB";
    return false;
  }
  out.assign(total, 0);
  std::memcpy(out.data(), kResourceMagic, sizeof kResourceMagic - 1);
  platform::StoreLE(out, kResourceHeaderLengthAt, kResourceHeaderSize, 4);
  platform::StoreLE(out, kResourceEntryCountAt, entries.size(), 4);
  platform::StoreLE(out, kResourceFirstRecordAt, kResourceHeaderSize, 4);

  size_t valueAt = kResourceHeaderSize + records * kResourceRecordSize;
  for (size_t i = 0; i < entries.size(); ++i) {
    const ResourceEntry& e = entries[i];
    const size_t at = kResourceHeaderSize + i * kResourceRecordSize;
    StoreResourceRecord(out, at,
                        {e.name, uint8_t(e.kind), uint32_t(valueAt), uint32_t(e.value.size()),
                         uint32_t(at + kResourceRecordSize)});
    if (!e.value.empty()) std::memcpy(&out[valueAt], e.value.data(), e.value.size());
    valueAt += e.value.size();
  }
  // The end marker: an empty record whose next offset is 0.
  return true;
}

}  // namespace skin
