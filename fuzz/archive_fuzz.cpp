// libFuzzer target for the skin archive extractor and the DEFLATE decoder. The first input
// byte picks the mode: bit 0 set decodes the rest as a raw DEFLATE stream; clear, the rest
// is a skin archive whose entry "SKINDATA.SK2" is extracted, with the password "skin" when
// bit 1 is set. Output is counted, not kept, so huge recorded sizes cost no memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/archive.h"
#include "skin/inflate.h"

namespace {

constexpr uint64_t kRawOutputLimit = 1 << 22;  // keeps each run short

class CountingSink : public skin::TInflateSink {
 public:
  bool Write(const uint8_t*, size_t size) override {
    total += size;
    return true;
  }
  uint64_t total = 0;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  ++data;
  --size;
  if (mode & 1) {
    std::vector<uint8_t> out;
    skin::TInflateResult r = skin::InflateMemory(data, size, out, kRawOutputLimit);
    Check(r.written == out.size() && r.written <= kRawOutputLimit);
    return 0;
  }
  skin::TMemoryArchiveSource archive(data, size);
  skin::TZipEntry entry;
  if (!skin::FindArchiveEntry(archive, "SKINDATA.SK2", entry)) return 0;
  CountingSink sink;
  uint64_t written = 0;
  uint8_t result = skin::ExtractEntryData(archive, entry, (mode & 2) ? "skin" : "", sink, written);
  Check(result <= skin::kExtractWrongPassword);
  Check(sink.total == written && written <= entry.uncompressedSize);
  Check(result != skin::kExtractOk || written == entry.uncompressedSize);
  return 0;
}
