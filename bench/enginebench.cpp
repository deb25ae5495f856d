// Our side of the benchmarks through DSBASE and DSCursor (the calls the facade makes).
#include "bench/enginebench.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/benchclock.h"
#include "tableengine/DBCommon.h"
#include "tableengine/dsfilter.h"

namespace bench {
namespace {

using namespace dsengine;

void Check(DBResult st, const char* what) {
  if (st == DBERR_NONE) return;
  std::fprintf(stderr, "dzbench: %s failed with status %u\n", what, unsigned(st));
  std::exit(2);
}

FieldDescriptor Field(const char* name, uint32_t type, uint32_t subType, uint32_t units1) {
  FieldDescriptor f{};
  std::strncpy(f.name, name, sizeof f.name - 1);
  f.type = type;
  f.subType = subType;
  f.units1 = units1;
  return f;
}

// The program's lyrics table.
std::vector<FieldDescriptor> LyricsFields() {
  return {Field("Id", fldINT32, fldstAUTOINC, 0),
          Field("Artist", fldZSTRING, 0, kMaxNameLength),
          Field("Album", fldZSTRING, 0, kMaxNameLength),
          Field("Title", fldZSTRING, 0, kMaxNameLength),
          Field("Lyric", fldBLOB, fldstMEMO, 0),
          Field("SongFileName", fldZSTRING, 0, kMaxPathLength)};
}

// The same fields as the filter parser sees them.
const db::TExprFieldList& LyricsFieldList() {
  static const db::TExprFieldList list(
      "cdsMain", {{"Id", "", 1, db::ftAutoInc, 0, db::fkData},
                  {"Artist", "", 2, db::ftString, int(kMaxNameLength), db::fkData},
                  {"Album", "", 3, db::ftString, int(kMaxNameLength), db::fkData},
                  {"Title", "", 4, db::ftString, int(kMaxNameLength), db::fkData},
                  {"Lyric", "", 5, db::ftMemo, 0, db::fkData},
                  {"SongFileName", "", 6, db::ftString, int(kMaxPathLength), db::fkData}});
  return list;
}

void PutEntry(DSCursor& c, uint8_t* rec, const LyricsEntry& e) {
  Check(c.PutField(rec, kArtist, e.artist.c_str()), "put Artist");
  Check(c.PutField(rec, kAlbum, e.album.c_str()), "put Album");
  Check(c.PutField(rec, kTitle, e.title.c_str()), "put Title");
  Check(c.PutBlob(rec, kLyric, 0, e.lyric.data(), uint32_t(e.lyric.size())), "put Lyric");
  Check(c.PutField(rec, kSongFile, e.songFile.empty() ? nullptr : e.songFile.c_str()),
        "put SongFileName");
}

void SortOnArtistTitle(DSCursor& c) {
  const uint32_t fields[] = {kArtist, kTitle};
  Check(c.SortOnFields(2, fields, nullptr, nullptr), "sort on Artist;Title");
}

uint32_t AddFilter(DSCursor& c, const std::string& text) {
  db::TExprParser parser(LyricsFieldList(), text, db::foCaseInsensitive);
  if (!parser.Ok()) {
    std::fprintf(stderr, "dzbench: filter «%s»: %s\n", text.c_str(),
                 parser.Error().message.c_str());
    std::exit(2);
  }
  uint32_t handle = 0;
  Check(c.AddFilter(parser.FilterData(), parser.DataSize(), &handle), "add filter");
  return handle;
}

}  // namespace

std::unique_ptr<DSBASE> BuildTable(const LyricsGenerator& gen, double budgetSeconds,
                                   uint64_t* steps) {
  Stopwatch w;
  *steps = 0;
  auto overBudget = [&] { return ++*steps % 1024 == 0 && w.Seconds() > budgetSeconds; };
  auto table = std::make_unique<DSBASE>();
  std::vector<FieldDescriptor> fields = LyricsFields();
  Check(table->CreateTable(uint32_t(fields.size()), fields.data(), "cdsMain"), "create table");
  DSCursor c(MakeFilteredIndex);
  Check(c.Attach(table.get()), "attach");
  std::vector<uint8_t> rec(table->RecordSize());
  for (uint32_t i = 0; i < gen.Size(); ++i) {
    if (overBudget()) return nullptr;
    Check(c.MoveToEOF(), "move to end");  // appends: an insert goes ahead of a current record
    Check(c.InitRecord(rec.data()), "init record");
    PutEntry(c, rec.data(), gen.Entry(i));
    Check(c.InsertRecord(rec.data()), "insert");
  }
  // The history, from the last entry back, so entry i still stands at position i + 1.
  for (uint32_t i = gen.Size(); i-- > 0;) {
    EntryHistory h = gen.History(i);
    if (!h.modifications && !h.deleted) continue;
    if (overBudget()) return nullptr;
    Check(c.MoveToSeqNo(i + 1), "move to entry");
    for (int v = 1; v <= h.modifications; ++v) {
      Check(c.GetCurrentRecord(rec.data()), "read record");
      PutEntry(c, rec.data(), gen.Entry(i, v));
      Check(c.ModifyRecord(rec.data()), "modify");
    }
    if (h.deleted) Check(c.DeleteRecord(), "delete");
  }
  return table;
}

ModelSize Model(const DSBASE& table) {
  ModelSize m;
  m.versions = table.NextRecordNumber() - 1;
  m.recordSize = table.RecordSize();
  for (uint32_t b = 1; b <= table.Blobs().Count(); ++b) m.blobBytes += table.Blobs().Length(b);
  for (const auto& idx : table.Indexes()) m.indexBytes += (uint64_t(idx->Count()) + 2) * 4;
  return m;
}

EngineBench::EngineBench(DSBASE& table) : table_(table) {}

double EngineBench::Sort() {
  DSCursor c(MakeFilteredIndex);
  Check(c.Attach(&table_), "attach");
  Stopwatch w;
  SortOnArtistTitle(c);
  return w.Seconds();
}

double EngineBench::Search(const std::string& filter, uint32_t* rows) {
  DSCursor c(MakeFilteredIndex);
  Check(c.Attach(&table_), "attach");
  SortOnArtistTitle(c);
  std::vector<uint8_t> rec(table_.RecordSize());
  Stopwatch w;
  AddFilter(c, filter);
  c.MoveToBOF();
  for (int k = 0; k < 10 && c.MoveRelative(1) == DBERR_NONE; ++k)
    Check(c.GetCurrentRecord(rec.data()), "read row");
  double s = w.Seconds();
  Check(c.GetRecordCount(rows), "record count");
  return s;
}

uint32_t EngineBench::EditViewCount() {
  if (!editView_) {
    editView_ = std::make_unique<DSCursor>(MakeFilteredIndex);
    Check(editView_->Attach(&table_), "attach");
    SortOnArtistTitle(*editView_);
    AddFilter(*editView_, "Artist like 'b%'");
  }
  uint32_t count = 0;
  Check(editView_->GetRecordCount(&count), "record count");
  return count;
}

double EngineBench::Edit(uint32_t seqNo) {
  EditViewCount();
  DSCursor& c = *editView_;
  Check(c.MoveToSeqNo(seqNo), "move to record");
  std::vector<uint8_t> rec(table_.RecordSize());
  Stopwatch w;
  Check(c.GetCurrentRecord(rec.data()), "read record");
  const char* old = reinterpret_cast<const char*>(rec.data()) + table_.Field(kArtist).offset;
  std::string artist(1, 'B');  // stays in the «b%» view
  artist.append(old, strnlen(old, kMaxNameLength - 1));
  Check(c.PutField(rec.data(), kArtist, artist.c_str()), "put Artist");
  Check(c.ModifyRecord(rec.data()), "post");
  return w.Seconds();
}

}  // namespace bench
