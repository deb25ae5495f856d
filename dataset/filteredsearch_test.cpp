// The search box through the dataset: each keystroke's rows are exactly the records passing the
// new filter, in the order the engine's quicksort over them gives, with edits in between.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "dataset/DBClient.h"
#include "tableengine/DBCommon.h"
#include "tableengine/dsfilter.h"
#include "tableengine/dssort.h"
#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using namespace testing;

// The search box through the dataset: Filtered stays true and each keystroke sets a new Filter
// (the old filter is dropped, the view goes back to every record, the new one is added). After
// each keystroke the rows are the records passing the new filter in the order the quicksort
// over them gives; edits between keystrokes make the view sort by keys again.
TEST(FilteredViewKeyOrder, SearchKeystrokesThroughTheDataset) {
  auto table = MakeLyricsTable();
  std::mt19937 rng(11);
  for (int i = 0; i < 300; ++i) {
    Rec r(*table);
    r.Int(kId, i + 1);
    r.Str(kArtist, kWords[rng() % kWords.size()]).Str(kTitle, kWords[rng() % 6]);
    uint32_t rec = 0;
    ASSERT_EQ(table->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  }
  db::TCustomClientDataSet ds("cdsMain");
  ds.SetFilterOptions(db::foCaseInsensitive);
  ds.OpenTable(std::move(table));
  DSBASE& t = *ds.DSBase();
  ds.SetIndexFieldNames("Artist;Title");
  ds.SetFilter("Artist like '%'");
  ds.SetFiltered(true);
  DSIDX keys(t, kIndexOrdinary);  // compares records as the view's order does
  IndexDescriptor desc{};
  desc.fieldCount = 2;
  desc.fields[0] = kArtist;
  desc.fields[1] = kTitle;
  ASSERT_EQ(keys.SetDescriptor(desc), DBERR_NONE);
  const char* const searches[] = {"Artist like 'b%'", "Artist like 'be%'", "Title like '%a%'",
                                  "Artist like '%'",  "Title like '%b%'",  "Artist like 'a%'"};
  for (int keystroke = 0; keystroke < 30; ++keystroke) {
    if (keystroke % 4 == 3) {  // an edit between keystrokes
      ds.Append();
      ds.FieldByName("Artist").SetAsString(kWords[rng() % kWords.size()]);
      ds.FieldByName("Title").SetAsString(kWords[rng() % 6]);
      ds.Post();
    }
    const char* text = searches[rng() % std::size(searches)];
    ds.SetFilter(text);
    db::TExprParser parser(LyricsFieldList(), text, db::foCaseInsensitive);
    FilterProgram program;
    ASSERT_EQ(program.Build(parser.FilterData(), parser.DataSize(), &t.Field(1), t.FieldCount(),
                            t.Locale()),
              DBERR_NONE);
    std::vector<int32_t> passing = {0};
    Rec flat(t);
    for (uint32_t rec = 1; rec < t.NextRecordNumber(); ++rec) {
      if (!t.Indexable(rec)) continue;
      ASSERT_EQ(t.ReadRecord(rec, flat.data()), DBERR_NONE);
      if (program.Evaluate(flat.data(), nullptr)) passing.push_back(int32_t(rec));
    }
    SortIndexEntries(passing.data(), uint32_t(passing.size() - 1), [&](int32_t a, int32_t b) {
      return keys.CompareRecords(uint32_t(a), uint32_t(b)) < 0;
    });
    std::vector<int32_t> expected, shown;
    for (size_t k = 1; k < passing.size(); ++k)
      expected.push_back(StoredInt(t, uint32_t(passing[k]), kId));
    for (ds.First(); !ds.Eof(); ds.Next()) shown.push_back(ds.FieldByName("Id").AsInteger());
    ASSERT_EQ(shown, expected) << "keystroke " << keystroke << " «" << text << "»";
  }
}

}  // namespace
}  // namespace dsengine
