// Writer -> reader round trips on random column sets, parameters and rows of every type,
// nested tables included: the reader must give back exactly what was written, and copying a
// packet through the reader into a new writer must reproduce it byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "datapacket/packet_testing.h"
#include "datapacket/packetreader.h"
#include "datapacket/packetwalk.h"
#include "datapacket/packetwriter.h"

namespace dspacket {
namespace {

using namespace dsengine;
using testing::Hex;
using testing::Recorder;

// Field type words of every value kind the writer accepts in a column (nested tables apart).
const uint32_t kColumnTypes[] = {
    0x00010001, 0x00010002, 0x00010004, 0x00010008, 0x00020001, 0x00020002, 0x00020004,
    0x00020008, 0x00030001, 0x00030002, 0x00030004, 0x00040008, 0x0004000A, 0x00050002,
    0x00050012, 0x00050022, 0x00060004, 0x00070004, 0x00080008, 0x00090005, 0x00490001,
    0x00490002, 0x004A0001, 0x004A0002, 0x000B0003, 0x004B0001, 0x004B0002, 0x004B0004,
    0x010C0002, 0x030D0001, 0x010F0004, 0x00100006, 0x00110010, 0x00120007};
// Parameter type words, arrays and the round-trip flag included.
const uint32_t kParamTypes[] = {0x00010004, 0x00020002, 0x00490002, 0x00490001, 0x004B0004,
                                0x00820004, 0x00810002, 0x00820002, 0x80490002, 0x80010002,
                                0x00050009, 0x00040008, 0x00010008};

struct Level;
struct ColumnSpec {
  DSColumnDesc desc;
  std::unique_ptr<Level> nested;
};
struct Level {
  std::vector<ColumnSpec> columns;
};

class RoundTrip {
 public:
  explicit RoundTrip(uint32_t seed) : rng_(seed) {}

  void Run() {
    uint32_t budget = 2 + Uniform(30);
    Level top = MakeLevel(0, &budget);
    const uint32_t total = CountColumns(top);
    ASSERT_EQ(w_.BeginPacket(3, total), 0);
    WriteLevel(top, 0);
    const uint32_t rows = Uniform(6);
    for (uint32_t r = 0; r < rows; ++r) WriteRow(top, 0);
    ByteArray packet;
    ASSERT_EQ(w_.FinishPacket(&packet), 0);

    Recorder read;
    ASSERT_EQ(WalkPacket(packet.bytes(), &read), 0);
    ASSERT_EQ(read.lines, expected_);

    // Reader -> writer gives the same bytes.
    Copier copier;
    ASSERT_EQ(copier.w.BeginPacket(3, total), 0);
    ASSERT_EQ(WalkPacket(packet.bytes(), &copier), 0);
    ASSERT_EQ(copier.failures, 0);
    ByteArray copy;
    ASSERT_EQ(copier.w.FinishPacket(&copy), 0);
    ASSERT_EQ(testing::ToVector(copy), testing::ToVector(packet));
  }

 private:
  // Writes each event the walk reports back into a writer.
  struct Copier : PacketVisitor {
    void Column(uint32_t, const DSColumnDesc& c) override { failures += w.AppendColumn(c) != 0; }
    void Parameter(uint32_t, bool table, const char* name, uint32_t type,
                   std::span<const uint8_t> v) override {
      failures +=
          w.AppendParameter(table, name, type, static_cast<uint32_t>(v.size()), v.data()) != 0;
    }
    void LevelEnd(uint32_t) override {
      failures += w.AppendParameter(true, nullptr, 0, 0, nullptr) != 0;
    }
    void Item(uint32_t status, std::span<const uint8_t> v) override {
      failures += w.AppendValue(status, static_cast<uint32_t>(v.size()),
                                status == 0 ? v.data() : nullptr) != 0;
    }
    DSDATAPACKET w;
    int failures = 0;
  };

  uint32_t Uniform(uint32_t n) { return n == 0 ? 0 : rng_() % n; }
  std::vector<uint8_t> RandomBytes(size_t n) {
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) b = static_cast<uint8_t>(rng_());
    return v;
  }

  Level MakeLevel(uint32_t depth, uint32_t* budget) {
    Level level;
    const uint32_t count = 1 + Uniform(std::min<uint32_t>(*budget, 6));
    for (uint32_t i = 0; i<count&& * budget> 0; ++i) {
      --*budget;
      ColumnSpec c;
      c.desc = testing::Col(("c" + std::to_string(depth) + "_" + std::to_string(i)).c_str(),
                            kColumnTypes[Uniform(std::size(kColumnTypes))],
                            static_cast<uint16_t>(Uniform(16)));
      if (depth < 3 && *budget > 0 && Uniform(5) == 0) {
        c.nested = std::make_unique<Level>(MakeLevel(depth + 1, budget));
        // A nested column counts every column below it, as the header counts every column.
        c.desc.fieldType = 0x050E0000 + CountColumns(*c.nested);
      }
      level.columns.push_back(std::move(c));
    }
    return level;
  }

  static uint32_t CountColumns(const Level& level) {
    uint32_t n = 0;
    for (const ColumnSpec& c : level.columns) n += 1 + (c.nested ? CountColumns(*c.nested) : 0);
    return n;
  }

  // A parameter value of `type` in the form AppendParameter takes, and as the reader gives it.
  std::vector<uint8_t> ParamValue(uint32_t type, std::vector<uint8_t>* readBack) {
    const uint32_t width = FieldWidth(type);
    std::vector<uint8_t> v;
    if (type & kFieldArray) {
      const uint32_t count = Uniform(5);
      v.resize(4);
      std::memcpy(v.data(), &count, 4);
      const std::vector<uint8_t> elements = RandomBytes(count * width);
      v.insert(v.end(), elements.begin(), elements.end());
      *readBack = v;
    } else if (type & kFieldVarying) {
      const uint32_t length = Uniform(width == 1 ? 255 : 600);
      v.resize(width);
      std::memcpy(v.data(), &length, width);
      const std::vector<uint8_t> bytes = RandomBytes(length);
      v.insert(v.end(), bytes.begin(), bytes.end());
      *readBack = v;
    } else {
      v = RandomBytes(width);
      const uint32_t kept = FieldPacketType(type) == kPacketBcd ? std::min(width, 18u) : width;
      readBack->assign(v.begin(), v.begin() + kept);
    }
    return v;
  }

  void WriteParams(bool table, uint32_t depth) {
    const uint32_t n = Uniform(3);
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t type = kParamTypes[Uniform(std::size(kParamTypes))];
      const std::string name = (table ? "T" : "F") + std::to_string(Uniform(1000));
      std::vector<uint8_t> readBack;
      const std::vector<uint8_t> v = ParamValue(type, &readBack);
      ASSERT_EQ(
          w_.AppendParameter(table, name.c_str(), type, static_cast<uint32_t>(v.size()), v.data()),
          0);
      expected_.push_back(std::string(table ? "tparam " : "fparam ") + std::to_string(depth) + " " +
                          name + " " + Recorder::Word(type) + " " + Hex(readBack));
    }
  }

  void WriteLevel(const Level& level, uint32_t depth) {
    for (const ColumnSpec& c : level.columns) {
      ASSERT_EQ(w_.AppendColumn(c.desc), 0);
      expected_.push_back("col " + std::to_string(depth) + " " + c.desc.name + " " +
                          Recorder::Word(c.desc.fieldType) + " " +
                          std::to_string(c.desc.attributes));
      WriteParams(false, depth);
      if (c.nested) WriteLevel(*c.nested, depth + 1);
    }
    WriteParams(true, depth);
    ASSERT_EQ(w_.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
    expected_.push_back("end " + std::to_string(depth));
  }

  void WriteRow(const Level& level, uint32_t depth) {
    const uint8_t state = static_cast<uint8_t>(rng_());
    ASSERT_EQ(w_.AppendValue(0, 1, &state), 0);
    expected_.push_back("item 0 " + Hex({&state, 1}));
    for (const ColumnSpec& c : level.columns) {
      const uint32_t roll = Uniform(20);
      if (roll < 2) {
        ASSERT_EQ(w_.AppendValue(roll + 1, 0, nullptr), 0);
        expected_.push_back("item " + std::to_string(roll + 1) + " ");
      } else if (c.nested) {
        WriteNested(c, depth);
      } else {
        WriteValue(c.desc.fieldType);
      }
    }
  }

  void WriteNested(const ColumnSpec& c, uint32_t depth) {
    const uint32_t kind = Uniform(4);
    uint32_t count = kind == 0 ? 0 : kind == 1 ? kNestedNotFetched : 1 + Uniform(3);
    const bool pending = kind == 3;
    const uint32_t written = pending ? kNestedCountPending : count;
    ASSERT_EQ(w_.AppendValue(0, 4, &written), 0);
    expected_.push_back("item 0 " + Hex({reinterpret_cast<const uint8_t*>(&count), 4}));
    if (count & kNestedNotFetched) return;
    for (uint32_t r = 0; r < count; ++r) WriteRow(*c.nested, depth + 1);
    if (pending) {
      ASSERT_EQ(w_.CloseNestedRows(), 0);
    }
  }

  void WriteValue(uint32_t type) {
    std::unique_ptr<FLDConv> conv;
    ASSERT_EQ(MakeConverter(type, &conv), 0);
    std::vector<uint8_t> v;
    std::vector<uint8_t> readBack;
    if (type & kFieldVarying) {
      const uint32_t width = FieldWidth(type);
      v = RandomBytes(Uniform(width == 1 ? 256 : width == 2 ? 700 : 3000));
      readBack = v;
    } else {
      v = RandomBytes(FieldWidth(type) + 2);  // a record field may be longer than its value
      readBack.assign(v.begin(), v.begin() + conv->FixedSize());
    }
    ASSERT_EQ(w_.AppendValue(0, static_cast<uint32_t>(v.size()), v.data()), 0);
    expected_.push_back("item 0 " + Hex(readBack));
  }

  std::mt19937 rng_;
  DSDATAPACKET w_;
  std::vector<std::string> expected_;
};

TEST(PacketRoundTrip, RandomColumnsParametersAndRowsReadBackAndCopyByteForByte) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE(seed);
    RoundTrip(seed).Run();
    if (::testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace dspacket
