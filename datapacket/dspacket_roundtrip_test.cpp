// Round trips of random lyrics tables with random edit histories (inserts, modifications with
// new and kept BLOBs, deletes, undo): export -> import -> export gives the same bytes, the
// same stored versions, log, visible rows, change count and counter; the XML form loads to
// the same table as the binary one.
#include <gtest/gtest.h>

#include <random>

#include "datapacket/dspacket.h"
#include "datapacket/dspacket_testing.h"
#include "platform/prefault.h"

namespace dspacket {
namespace {

using namespace dspacket::testing;
using namespace dsengine::testing;
using dsengine::DSBASE;

class History {
 public:
  // `xmlSafe`: no modification blanks a BLOB. (The XML form writes nothing for a null and
  // for an unchanged BLOB alike, and reads a missing BLOB of a modified version as unchanged,
  // so a BLOB blanked by a modification comes back as the replaced version's.)
  History(uint32_t seed, bool xmlSafe, std::unique_ptr<DSBASE> table = MakeLyricsTable())
      : rng_(seed), xmlSafe_(xmlSafe), t_(std::move(table)) {}

  DSBASE& Run(int steps) {
    for (int i = 0; i < steps; ++i) {
      switch (Pick(10)) {
        case 0:
        case 1:
        case 2:
          Insert();
          break;
        case 3:
        case 4:
        case 5:
          Modify();
          break;
        case 6:
        case 7:
          Delete();
          break;
        default:
          Undo();
          break;
      }
    }
    return *t_;
  }

 private:
  uint32_t Pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }
  std::string Text(uint32_t maxLength) {
    std::string s(Pick(maxLength + 1), ' ');
    static const char kChars[] = "abcXYZ 019\r\n\xE9\xFC<&\"'";
    for (char& c : s) c = kChars[Pick(sizeof kChars - 1)];
    while (!s.empty() && s.back() == ' ') s.pop_back();  // put-field trims them anyway
    return s;
  }
  // A string field: a value, or blank when the text comes out empty.
  void SetStr(Rec& r, uint32_t field, uint32_t maxLength) {
    const std::string s = Text(maxLength);
    if (s.empty() && Pick(2))
      r.Blank(field);
    else
      r.Str(field, s);
  }
  void SetLyric(Rec& r, bool mayBlank = true) {
    std::string s = Text(300);
    if (s.empty() && !mayBlank) s = "x";
    if (s.empty())
      r.Blank(kLyric);
    else
      t_->PutBlob(r.data(), kLyric, 0, s.data(), uint32_t(s.size()));
  }
  uint32_t VisibleRecord() {
    std::vector<uint32_t> v;
    for (uint32_t r = 1; r < t_->NextRecordNumber(); ++r)
      if (t_->Visible(r)) v.push_back(r);
    return v.empty() ? 0 : v[Pick(uint32_t(v.size()))];
  }
  void Insert() {
    Rec r(*t_);
    r.Str(kArtist, "A" + Text(20)).Str(kTitle, "T" + Text(20));
    SetStr(r, kAlbum, 30);
    SetStr(r, kSongFile, 60);
    SetLyric(r);
    uint32_t rec = 0;
    ASSERT_EQ(t_->InsertRecord(r.data(), nullptr, 0, &rec), 0);
  }
  void Modify() {
    const uint32_t rec = VisibleRecord();
    if (rec == 0) return;
    Rec r(*t_);
    t_->ReadRecord(rec, r.data());
    switch (Pick(3)) {
      case 0:
        SetStr(r, kAlbum, 30);
        break;
      case 1:
        SetLyric(r, !xmlSafe_);
        break;
      default:
        r.Str(kTitle, "T" + Text(10));
        SetStr(r, kSongFile, 40);
        break;
    }
    uint32_t out = 0;
    ASSERT_EQ(t_->ModifyRecord(rec, r.data(), nullptr, &out), 0);
  }
  void Delete() {
    const uint32_t rec = VisibleRecord();
    if (rec != 0) {
      ASSERT_EQ(t_->DeleteRecord(rec, nullptr), 0);
    }
  }
  void Undo() {
    uint32_t follow = 0;
    const auto st = t_->UndoLastChange(false, &follow);
    ASSERT_TRUE(st == 0 || st == dsengine::DBERR_NOTHINGTOUNDO);
  }

  std::mt19937 rng_;
  bool xmlSafe_;
  std::unique_ptr<DSBASE> t_;
};

std::vector<uint32_t> LogValues(const DSBASE& t) {
  std::vector<uint32_t> v;
  for (size_t i = 0; i < t.Log().Size(); ++i)
    v.insert(v.end(), {t.Log().At(i).record, t.Log().At(i).related, t.Log().At(i).kind});
  return v;
}

std::vector<uint8_t> Attributes(const DSBASE& t) {
  std::vector<uint8_t> v;
  for (uint32_t r = 1; r < t.NextRecordNumber(); ++r) v.push_back(t.Attribute(r));
  return v;
}

void ExpectSameTable(const DSBASE& a, const DSBASE& b) {
  EXPECT_EQ(VisibleRows(a), VisibleRows(b));
  EXPECT_EQ(a.ChangeCount(), b.ChangeCount());
  EXPECT_EQ(a.AutoIncValue(), b.AutoIncValue());
  EXPECT_EQ(a.LiveCount(), b.LiveCount());
  if (!a.Log().Empty()) {
    EXPECT_EQ(LogValues(a), LogValues(b));
    EXPECT_EQ(Attributes(a), Attributes(b));
  }
}

TEST(TableRoundTrip, RandomHistoriesLoadAndSaveToTheSameBytes) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    History h(seed, false);
    DSBASE& t = h.Run(int(seed % 7) * 10 + 5);
    ByteArray first = Export(t);
    auto loaded = Import(first.bytes());
    ExpectSameTable(t, *loaded);
    ByteArray second = Export(*loaded);
    // The Id column's attribute word becomes read-only with the first load; after that the
    // bytes stay the same from save to save.
    auto again = Import(second.bytes());
    ExpectSameTable(t, *again);
    EXPECT_EQ(Hex(Export(*again).bytes()), Hex(second.bytes()));
  }
}

// A store of several megabytes is faulted in on another thread while the rows are imported
// into it: the table is still the one exported.
TEST(TableRoundTrip, LargeTableLoadsWhileItsStoreIsFaultedIn) {
  History h(77, false);
  DSBASE& t = h.Run(12000);
  ASSERT_GE(size_t(t.NextRecordNumber()) * t.RecordSize(), platform::BackgroundPrefault::kMinBytes);
  const ByteArray packet = Export(t);
  auto loaded = Import(packet.bytes());
  ExpectSameTable(t, *loaded);
}

// A load that borrows its BLOB values from the packet behaves, under further edits and undo,
// exactly as one that copies them; the packet's bytes are never written to, and the table lets
// go of them with its last borrowing entry.
TEST(TableRoundTrip, BorrowedLoadsBehaveAsCopiedOnes) {
  for (uint32_t seed = 200; seed <= 230; ++seed) {
    SCOPED_TRACE(seed);
    History h(seed, false);
    auto packet = std::make_shared<ByteArray>(Export(h.Run(int(seed % 6) * 10 + 10)));
    const std::string original = Hex(packet->bytes());
    std::weak_ptr<ByteArray> watch = packet;
    auto borrowing = std::make_unique<DSBASE>();
    ASSERT_EQ(ImportPacket(*borrowing, std::shared_ptr<const ByteArray>(packet)), 0);
    auto copying = Import(packet->bytes());
    const bool anyBlob = borrowing->Blobs().HeldBufferCount() != 0;
    packet.reset();
    EXPECT_EQ(watch.expired(), !anyBlob);

    History borrowed(seed * 7, false, std::move(borrowing));
    History copied(seed * 7, false, std::move(copying));
    DSBASE& b = borrowed.Run(25);
    DSBASE& c = copied.Run(25);
    ExpectSameTable(c, b);
    EXPECT_EQ(Hex(Export(b).bytes()), Hex(Export(c).bytes()));
    if (auto held = watch.lock()) {
      EXPECT_EQ(Hex(held->bytes()), original);
    }
  }
}

TEST(TableRoundTrip, OnlyBinaryPacketsWithBlobValuesAreHeld) {
  auto t = MakeLyricsTable();
  AddLyric(*t, "A", "1", "words");
  AddLyric(*t, "B", "2");
  auto binary = std::make_shared<ByteArray>(Export(*t));
  ASSERT_EQ(t->SetProp(dsengine::dspropSTREAMMODE, 5), 0);
  auto xml = std::make_shared<ByteArray>(Export(*t));
  auto noBlobs = MakeLyricsTable();
  AddLyric(*noBlobs, "C", "3");
  auto plain = std::make_shared<ByteArray>(Export(*noBlobs));
  auto truncated =
      std::make_shared<ByteArray>(ByteArray::CopyOf(binary->data(), binary->size() - 3));

  struct Case {
    std::shared_ptr<ByteArray> packet;
    bool held;
    dsengine::DBResult status;
  };
  std::vector<Case> cases;  // each case owns the only reference to its packet
  cases.push_back({std::move(binary), true, 0});
  cases.push_back({std::move(xml), false, 0});
  cases.push_back({std::move(plain), false, 0});
  cases.push_back({std::move(truncated), false, dsengine::DBERR_DATAPACKETMISMATCH});
  for (Case& c : cases) {
    std::weak_ptr<ByteArray> watch = c.packet;
    DSBASE loaded;
    EXPECT_EQ(ImportPacket(loaded, std::shared_ptr<const ByteArray>(c.packet)), c.status);
    c.packet.reset();
    EXPECT_EQ(!watch.expired(), c.held);
  }
}

TEST(TableRoundTrip, XmlLoadsToTheSameTableAsBinary) {
  for (uint32_t seed = 100; seed <= 130; ++seed) {
    SCOPED_TRACE(seed);
    History h(seed, true);
    DSBASE& t = h.Run(int(seed % 5) * 10 + 8);
    auto viaBinary = Import(Export(t).bytes());
    ByteArray direct = Export(*viaBinary);
    for (uint32_t mode : {5u, 13u}) {
      ASSERT_EQ(viaBinary->SetProp(dsengine::dspropSTREAMMODE, mode), 0);
      ByteArray xml = Export(*viaBinary);
      auto viaXml = Import(xml.bytes());
      ExpectSameTable(t, *viaXml);
      ASSERT_EQ(viaXml->SetProp(dsengine::dspropSTREAMMODE, 0), 0);
      EXPECT_EQ(Hex(Export(*viaXml).bytes()), Hex(direct.bytes())) << mode;
    }
    ASSERT_EQ(viaBinary->SetProp(dsengine::dspropSTREAMMODE, 0), 0);
  }
}

TEST(TableRoundTrip, UndoneSlotsAndAnEmptiedLogSurvive) {
  auto t = MakeLyricsTable();
  const uint32_t a = AddLyric(*t, "A", "1", "words");
  AddLyric(*t, "B", "2");
  ModifyStr(*t, a, kTitle, "1b");
  uint32_t follow = 0;
  ASSERT_EQ(t->UndoLastChange(false, &follow), 0);  // the newest slot is given back
  ASSERT_EQ(t->DeleteRecord(a, nullptr), 0);
  auto loaded = Import(Export(*t).bytes());
  ExpectSameTable(*t, *loaded);
  // Undo everything after the load, then save and load once more: no log, only visible rows.
  while (loaded->UndoLastChange(false, &follow) == 0) {
  }
  ASSERT_TRUE(loaded->Log().Empty());
  auto empty = Import(Export(*loaded).bytes());
  EXPECT_EQ(empty->LiveCount(), 0u);
  EXPECT_EQ(empty->AutoIncValue(), 1u);
}

}  // namespace
}  // namespace dspacket
