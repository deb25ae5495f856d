// Random insert/modify/delete/undo sequences on the lyrics table, checked after every step
// against a simple reference model: record versions and attributes, the natural and the
// Artist;Title order, the change log, the counter, the live count and the change count.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "platform/collation.h"
#include "tableengine/dsbase.h"
#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using namespace testing;

struct Row {
  int32_t id = 0;
  bool blankArtist = false;
  std::string artist, album, title;
  bool operator==(const Row&) const = default;
};

struct Entry {
  uint32_t rec, related, kind;
  bool operator==(const Entry&) const = default;
};

class Model {
 public:
  std::map<uint32_t, Row> versions;
  std::map<uint32_t, uint8_t> attrs;
  std::vector<uint32_t> natural, sorted;
  std::vector<Entry> log;
  uint32_t nextRec = 1, counter = 1, live = 0;

  int CompareKeys(uint32_t a, uint32_t b) const {
    const Row &x = versions.at(a), &y = versions.at(b);
    if (x.blankArtist != y.blankArtist) return x.blankArtist ? -1 : 1;
    if (!x.blankArtist) {
      const int c = platform::Compare(0, 0, x.artist.c_str(), -1, y.artist.c_str(), -1) - 2;
      if (c) return c;
    }
    return platform::Compare(0, 0, x.title.c_str(), -1, y.title.c_str(), -1) - 2;
  }
  void SortedInsert(uint32_t rec) {
    size_t at = 0;
    while (at < sorted.size() && CompareKeys(sorted[at], rec) <= 0) ++at;
    sorted.insert(sorted.begin() + at, rec);
  }
  static void Erase(std::vector<uint32_t>& v, uint32_t rec) {
    v.erase(std::find(v.begin(), v.end(), rec));
  }
  void SortedReplace(uint32_t from, uint32_t to) {
    auto it = std::find(sorted.begin(), sorted.end(), from);
    if (CompareKeys(from, to) == 0) {
      *it = to;
    } else {
      sorted.erase(it);
      SortedInsert(to);
    }
  }
  void Discard(uint32_t rec) {
    if (rec + 1 == nextRec) {
      versions.erase(rec);
      attrs.erase(rec);
      --nextRec;
    } else {
      attrs[rec] |= dsRecHidden;
    }
  }

  uint32_t Insert(Row row) {
    const uint32_t rec = nextRec++;
    row.id = int32_t(counter++);
    versions[rec] = row;
    attrs[rec] = dsRecInserted;
    natural.push_back(rec);
    SortedInsert(rec);
    log.push_back({rec, 0, kChangeInsert});
    ++live;
    return rec;
  }
  uint32_t Modify(uint32_t old, Row row) {
    row.id = versions[old].id;
    if (row == versions[old]) return old;
    const uint32_t rec = nextRec++;
    versions[rec] = row;
    attrs[rec] = dsRecModified | (attrs[old] & dsRecInserted);
    attrs[old] |= dsRecSuperseded;
    *std::find(natural.begin(), natural.end(), old) = rec;
    SortedReplace(old, rec);
    log.push_back({rec, old, kChangeModify});
    return rec;
  }
  void Delete(uint32_t rec) {
    attrs[rec] |= dsRecDeleted;
    Erase(natural, rec);
    Erase(sorted, rec);
    log.push_back({rec, 0, kChangeDelete});
    --live;
  }
  void Undo() {
    const Entry e = log.back();
    log.pop_back();
    if (e.kind == kChangeDelete) {
      attrs[e.rec] &= uint8_t(~dsRecDeleted);
      natural.push_back(e.rec);
      SortedInsert(e.rec);
      ++live;
    } else if (e.kind == kChangeInsert) {
      Erase(natural, e.rec);
      Erase(sorted, e.rec);
      --live;
      if (e.rec + 1 == nextRec) --counter;
      Discard(e.rec);
    } else {
      attrs[e.related] &= uint8_t(~dsRecSuperseded);
      *std::find(natural.begin(), natural.end(), e.rec) = e.related;
      SortedReplace(e.rec, e.related);
      Discard(e.rec);
    }
  }
  uint32_t ChangeCount() const {
    struct Chain {
      uint32_t original, current;
      bool inserted, deleted;
    };
    std::vector<Chain> chains;
    auto find = [&](uint32_t rec) -> Chain& {
      for (Chain& c : chains)
        if (c.current == rec) return c;
      chains.push_back({rec, rec, false, false});
      return chains.back();
    };
    for (const Entry& e : log) {
      if (e.kind == kChangeInsert) chains.push_back({0, e.rec, true, false});
      if (e.kind == kChangeModify) find(e.related).current = e.rec;
      if (e.kind == kChangeDelete) find(e.rec).deleted = true;
    }
    uint32_t n = 0;
    for (const Chain& c : chains) {
      if (c.inserted)
        n += !c.deleted;
      else
        n += c.deleted || !(versions.at(c.original) == versions.at(c.current));
    }
    return n;
  }
};

Row RandomRow(std::mt19937& rng) {
  static const char* artists[] = {"Abba", "abba", "Beatles", "Queen", "Élan", "co-op"};
  static const char* titles[] = {"Help", "help", "Waterloo", "", "Yesterday"};
  Row r;
  r.blankArtist = rng() % 10 == 0;
  if (!r.blankArtist) r.artist = artists[rng() % 6];
  r.title = titles[rng() % 5];
  r.album = "Album" + std::to_string(rng() % 3);
  return r;
}

void Fill(Rec& buf, const Row& row) {
  if (row.blankArtist)
    buf.Blank(kArtist);
  else
    buf.Str(kArtist, row.artist);
  buf.Str(kAlbum, row.album).Str(kTitle, row.title);
}

void Check(const DSBASE& t, const DSIDX& sorted, const Model& m, int step) {
  SCOPED_TRACE("step " + std::to_string(step));
  ASSERT_EQ(t.NextRecordNumber(), m.nextRec);
  ASSERT_EQ(t.AutoIncValue(), m.counter);
  ASSERT_EQ(t.LiveCount(), m.live);
  std::vector<Entry> log;
  for (size_t i = 0; i < t.Log().Size(); ++i)
    log.push_back({t.Log().At(i).record, t.Log().At(i).related, t.Log().At(i).kind});
  ASSERT_EQ(log, m.log);
  ASSERT_EQ(Order(*t.DefaultIndex()), m.natural);
  ASSERT_EQ(Order(sorted), m.sorted);
  for (uint32_t rec = 1; rec < m.nextRec; ++rec) {
    ASSERT_EQ(t.Attribute(rec), m.attrs.at(rec)) << rec;
    if (m.attrs.at(rec) & dsRecHidden) continue;
    const Row& row = m.versions.at(rec);
    Row stored;
    stored.id = StoredInt(t, rec, kId);
    stored.blankArtist = t.NullFlagOf(rec, kArtist) != 0;
    stored.artist = StoredStr(t, rec, kArtist);
    stored.album = StoredStr(t, rec, kAlbum);
    stored.title = StoredStr(t, rec, kTitle);
    ASSERT_EQ(stored, row) << rec;
  }
  ASSERT_EQ(t.ChangeCount(), m.ChangeCount());
}

TEST(EditModel, RandomSequencesMatchTheReferenceModel) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto t = MakeLyricsTable();
    DSIDX* sorted = t->DefaultIndex();
    t->AdoptIndex(sorted);
    const uint32_t keys[] = {kArtist, kTitle};
    ASSERT_EQ(t->SortOnFields(&sorted, 2, keys, nullptr, nullptr), DBERR_NONE);
    Model m;
    for (int step = 0; step < 400; ++step) {
      const unsigned op = rng() % 10;
      if (op < 4 || m.natural.empty()) {
        const Row row = RandomRow(rng);
        Rec buf(*t);
        Fill(buf, row);
        uint32_t rec = 0;
        ASSERT_EQ(t->InsertRecord(buf.data(), sorted, 0, &rec), DBERR_NONE);
        ASSERT_EQ(rec, m.Insert(row));
      } else if (op < 7) {
        const uint32_t old = m.natural[rng() % m.natural.size()];
        Row row = m.versions[old];
        switch (rng() % 4) {
          case 0:
            row.title = RandomRow(rng).title;
            break;
          case 1:
            row.album = RandomRow(rng).album;
            break;
          case 2: {
            const Row other = RandomRow(rng);
            row.blankArtist = other.blankArtist;
            row.artist = other.artist;
            break;
          }
          default:
            break;  // posted unchanged
        }
        Rec buf(*t);
        t->ReadRecord(old, buf.data());
        Fill(buf, row);
        uint32_t rec = 0;
        ASSERT_EQ(t->ModifyRecord(old, buf.data(), sorted, &rec), DBERR_NONE);
        ASSERT_EQ(rec, m.Modify(old, row));
      } else if (op < 9) {
        const uint32_t rec = m.natural[rng() % m.natural.size()];
        ASSERT_EQ(t->DeleteRecord(rec, sorted), DBERR_NONE);
        m.Delete(rec);
      } else {
        uint32_t follow;
        const DBResult st = t->UndoLastChange(true, &follow);
        if (m.log.empty()) {
          ASSERT_EQ(st, DBERR_NOTHINGTOUNDO);
        } else {
          ASSERT_EQ(st, DBERR_NONE);
          m.Undo();
        }
      }
      Check(*t, *sorted, m, step);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace dsengine
