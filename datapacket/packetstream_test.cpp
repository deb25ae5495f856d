// Streaming packet writer: a packet sent to a sink a chunk at a time, its header patched at the
// end, has exactly the bytes of the packet written whole; a refusing sink stops the writer.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "datapacket/packet_testing.h"
#include "datapacket/packetwriter.h"

namespace dspacket {
namespace {

using namespace dsengine;
using testing::Col;
using testing::ToVector;

constexpr uint32_t kInt32 = 0x00010004, kStr1 = 0x00490001, kNested = 0x050E0002;
constexpr uint32_t kBlob = 0x004B0004;

// Collects what a writer sends; refuses from the `refuseAt`-th Append on (0: never).
class MemorySink : public PacketSink {
 public:
  explicit MemorySink(int refuseAt = 0) : refuseAt_(refuseAt) {}
  bool Append(const uint8_t* data, size_t size) override {
    if (refuseAt_ != 0 && ++appends >= refuseAt_) return false;
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  bool AppendLasting(const uint8_t* data, size_t size) override {
    lent.push_back({data, size});
    return Append(data, size);
  }
  bool Finish() override {
    ++finishes;
    return true;
  }
  bool Patch(uint64_t offset, const uint8_t* data, size_t size) override {
    ++patches;
    if (offset + size > bytes.size()) return false;  // only what was sent can be patched
    std::memcpy(bytes.data() + offset, data, size);
    return true;
  }
  std::vector<uint8_t> bytes;
  std::vector<std::pair<const uint8_t*, size_t>> lent;  // what AppendLasting was given
  int appends = 0, patches = 0, finishes = 0;

 private:
  int refuseAt_;
};

// Level 0: A, N (nested: X, Y), B; `rows` rows, alternating a counted and a pending nested
// count, with nulls. Returns the first failing status, else FinishPacket's.
DBResult WriteRows(DSDATAPACKET& w, int rows, ByteArray* packet) {
  EXPECT_EQ(w.BeginPacket(3, 5), 0);
  EXPECT_EQ(w.AppendColumn(Col("A", kInt32)), 0);
  EXPECT_EQ(w.AppendColumn(Col("N", kNested)), 0);
  EXPECT_EQ(w.AppendColumn(Col("X", kInt32)), 0);
  EXPECT_EQ(w.AppendColumn(Col("Y", kStr1)), 0);
  EXPECT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(w.AppendColumn(Col("B", kInt32)), 0);
  const uint8_t state = 0;
  for (int r = 0; r < rows; ++r) {
    const int32_t a = r;
    const uint32_t count = r % 2 ? kNestedCountPending : uint32_t(r % 3 + 1);
    if (DBResult st = w.AppendValue(0, 1, &state)) return st;
    if (DBResult st = w.AppendValue(r % 5 ? 0 : 1, 4, &a)) return st;
    if (DBResult st = w.AppendValue(0, 4, &count)) return st;
    const int nested = r % 2 ? r % 4 : int(count);
    for (int k = 0; k < nested; ++k) {
      const int32_t x = r * 10 + k;
      if (DBResult st = w.AppendValue(0, 1, &state)) return st;
      if (DBResult st = w.AppendValue(0, 4, &x)) return st;
      if (DBResult st = w.AppendValue(0, 3, "yyy")) return st;
    }
    if (r % 2)
      if (DBResult st = w.CloseNestedRows()) return st;
    if (DBResult st = w.AppendValue(0, 4, &a)) return st;
  }
  return w.FinishPacket(packet);
}

TEST(PacketStream, ChunksAndThePatchedHeaderGiveTheWholePacketsBytes) {
  DSDATAPACKET whole;
  ByteArray expected;
  ASSERT_EQ(WriteRows(whole, 40, &expected), 0);
  for (size_t chunk : {size_t(1), size_t(50), size_t(1000), size_t(1) << 20}) {
    SCOPED_TRACE(chunk);
    DSDATAPACKET w;
    MemorySink sink;
    w.StreamTo(&sink, chunk);
    ByteArray handed;
    ASSERT_EQ(WriteRows(w, 40, &handed), 0);
    EXPECT_TRUE(handed.empty());
    EXPECT_EQ(sink.bytes, ToVector(expected));
    // Small chunks send every few rows and patch the row count at the end; a chunk larger
    // than the packet sends it once, complete.
    EXPECT_EQ(sink.patches, chunk < expected.size() ? 1 : 0);
    size_t size = 0;
    ASSERT_EQ(w.PacketSize(&size), 0);
    EXPECT_EQ(size, expected.size());
  }
}

// Rows of an int and a BLOB of 0 to 5000 bytes.
DBResult WriteBlobs(DSDATAPACKET& w, const std::vector<std::vector<uint8_t>>& blobs,
                    ByteArray* packet) {
  EXPECT_EQ(w.BeginPacket(3, 2), 0);
  EXPECT_EQ(w.AppendColumn(Col("A", kInt32)), 0);
  EXPECT_EQ(w.AppendColumn(Col("L", kBlob)), 0);
  const uint8_t state = 0;
  for (size_t r = 0; r < blobs.size(); ++r) {
    const int32_t a = int32_t(r);
    if (DBResult st = w.AppendValue(0, 1, &state)) return st;
    if (DBResult st = w.AppendValue(0, 4, &a)) return st;
    if (DBResult st = w.AppendValue(0, uint32_t(blobs[r].size()), blobs[r].data())) return st;
  }
  return w.FinishPacket(packet);
}

TEST(PacketStream, LongValuesAreLentAndLandInPlace) {
  std::vector<std::vector<uint8_t>> blobs;
  for (size_t r = 0; r < 60; ++r) {
    const size_t size = std::vector<size_t>{0, 10, DSDATAPACKET::kLastingMin - 1,
                                            DSDATAPACKET::kLastingMin, 5000}[r % 5];
    blobs.emplace_back(size, uint8_t('a' + r % 26));
  }
  DSDATAPACKET whole;
  ByteArray expected;
  ASSERT_EQ(WriteBlobs(whole, blobs, &expected), 0);
  for (size_t chunk : {size_t(1), size_t(4000), size_t(1) << 20}) {
    SCOPED_TRACE(chunk);
    DSDATAPACKET w;
    MemorySink sink;
    w.StreamTo(&sink, chunk);
    ByteArray handed;
    ASSERT_EQ(WriteBlobs(w, blobs, &handed), 0);
    EXPECT_EQ(sink.bytes, ToVector(expected));
    // Exactly the values of kLastingMin bytes or more were lent, as they lie.
    ASSERT_EQ(sink.lent.size(), 24u);
    for (size_t k = 0; k < sink.lent.size(); ++k) {
      const size_t row = k / 2 * 5 + 3 + k % 2;
      EXPECT_EQ(sink.lent[k].first, blobs[row].data());
      EXPECT_EQ(sink.lent[k].second, blobs[row].size());
    }
  }
}

TEST(PacketStream, MetadataOnlyPacketGoesOutWhole) {
  DSDATAPACKET whole, w;
  ByteArray expected, handed;
  MemorySink sink;
  w.StreamTo(&sink, 1);
  ASSERT_EQ(WriteRows(whole, 0, &expected), 0);
  ASSERT_EQ(WriteRows(w, 0, &handed), 0);
  EXPECT_EQ(sink.bytes, ToVector(expected));
  EXPECT_EQ(sink.appends, 0);  // counted only by refusing sinks
  EXPECT_EQ(sink.patches, 0);
}

TEST(PacketStream, RefusingSinkStopsTheWriter) {
  for (int refuseAt : {1, 2, 5}) {
    SCOPED_TRACE(refuseAt);
    DSDATAPACKET w;
    MemorySink sink(refuseAt);
    w.StreamTo(&sink, 64);
    ByteArray handed;
    EXPECT_EQ(WriteRows(w, 40, &handed), DBERR_NA);
    EXPECT_TRUE(handed.empty());
  }
  DSDATAPACKET atFinish;  // the whole packet fits one chunk: the sink refuses at the end
  MemorySink sink(1);
  atFinish.StreamTo(&sink, size_t(1) << 20);
  ByteArray handed;
  EXPECT_EQ(WriteRows(atFinish, 3, &handed), DBERR_NA);
}

}  // namespace
}  // namespace dspacket
