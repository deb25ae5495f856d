// Filter program interpreter: the null rule of every operation, table-driven. Each case runs an
// operation on a record whose listed fields are blank (their bytes kept) and observes the
// result's null flag through IS NULL, and the value computed despite nulls through NOT, which
// ignores null flags. Every case runs on the flat record and on the same record read in place.
#include <gtest/gtest.h>

#include <sstream>

#include "tableengine/filter_testing.h"
#include "tableengine/filterprog.h"

namespace dsengine {
namespace {

using testing::FilterTable;
using testing::Lyrics;
using testing::Typed;
using testing::TypedRecord;

// A stored record read in place, over a flat record's bytes.
class InPlace : public FilterRecordSource {
 public:
  InPlace(const FilterTable& table, const std::vector<uint8_t>& record)
      : table_(table), record_(record) {}
  const uint8_t* Value(uint32_t field) const override {
    return &record_[table_.Fields()[field - 1].offset];
  }
  uint8_t NullFlag(uint32_t field) const override {
    return record_[table_.Fields()[field - 1].nullOffset];
  }

 private:
  const FilterTable& table_;
  const std::vector<uint8_t>& record_;
};

// Whether `filter` passes the record; the flat and the in-place evaluation must agree.
bool Passes(const FilterTable& table, const std::string& filter, const std::vector<uint8_t>& record,
            FilterBlobSource* blobs = nullptr) {
  FilterProgram p;
  EXPECT_EQ(table.Compile(p, filter, 0), DBERR_NONE) << filter;
  bool flat = p.Evaluate(record.data(), blobs);
  EXPECT_EQ(p.Evaluate(InPlace(table, record), blobs), flat) << filter;
  return flat;
}

struct NullCase {
  const char* operation;
  const char* blank;  // fields made blank, separated by blanks
  bool null;          // the operation's result is null
  const char* probe;  // a predicate on the operation's value (null: the operation itself)
  bool probeValue;    // the probe's value, computed from the stored bytes
};

const NullCase kNullCases[] = {
    // IS BLANK, IS NOT BLANK, NOT, AND, OR: never null.
    {"Small is null", "Small", false, nullptr, true},
    {"Small is null", "", false, nullptr, false},
    {"Small is not null", "Small", false, nullptr, false},
    {"not (Small = -5)", "Small", false, nullptr, false},
    {"(Small = -5) and (Price > 2)", "Price", false, nullptr, true},
    {"(Small = 0) or (Price > 2)", "Small Price", false, nullptr, true},
    // Comparisons: null with either operand.
    {"Small = -5", "Small", true, nullptr, true},
    {"W < Small", "W", true, nullptr, true},  // W holds 40000, read as -25536
    {"W < Small", "", false, nullptr, true},
    {"Price > Small", "Price", true, nullptr, true},
    {"Stamp > Born", "Born", true, nullptr, true},
    {"Name = 'ab'", "Name", true, nullptr, true},
    {"Fixed = Name", "Name", true, nullptr, true},
    // LIKE on a string: null with either operand.
    {"Name like 'a%'", "Name", true, nullptr, true},
    {"Fixed like Name + '%'", "Name", true, nullptr, true},
    // IN: null with the left operand; a null element equals nothing.
    {"Small in (3, -5)", "Small", true, nullptr, true},
    {"Fixed in ('x', Name)", "Name", false, nullptr, false},
    {"Fixed in ('x', Name)", "", false, nullptr, true},
    // Arithmetic: null with either operand; division by zero is null with the value 0.
    {"Small + Price", "Small", true, "Small + Price = -2.5", true},
    {"Price - Small", "Price", true, "Price - Small = 7.5", true},
    {"Price * Small", "Small", true, "Price * Small = -12.5", true},
    {"Price / Small", "Price", true, "Price / Small = -0.5", true},
    {"Price / 0", "", true, "Price / 0 = 0", true},
    {"Price / (Small + 5)", "", true, "Price / (Small + 5) = 0", true},
    {"Price / (Small + 6)", "", false, "Price / (Small + 6) = 2.5", true},
    {"Fixed + Name", "Name", true, "Fixed + Name = 'ab  ab'", true},
    {"Born + 1", "Born", true, "Born + 1 > Born", true},
    {"Born - 1", "Born", true, "Born - 1 < Born", true},
    {"Stamp - Born", "Stamp", true, "Stamp - Born = 0.5625", true},
    // Functions: null with any argument (getdate has none and is never null).
    {"upper(Name)", "Name", true, "upper(Name) = 'AB'", true},
    {"lower(Name)", "Name", true, "lower(upper(Name)) = 'ab'", true},
    {"trim(Name)", "Name", true, "trim(Name) = 'ab'", true},
    {"trimleft(Fixed)", "Fixed", true, "trimleft(Fixed) = 'ab  '", true},
    {"trimright(Fixed)", "Fixed", true, "trimright(Fixed) = 'ab'", true},
    {"substring(Name, Small)", "Small", true, "substring(Name, Small) = 'ab'", true},
    {"substring(Name, 2, Small + 6)", "Small", true, "substring(Name, 2, Small + 6) = 'b'", true},
    {"substring(Name, 2, Small + 6)", "", false, "substring(Name, 2, Small + 6) = 'a'", false},
    {"Year(Born)", "Born", true, "Year(Born) = 2000", true},
    {"Month(Born)", "Born", true, "Month(Born) = 1", true},
    {"Day(Born)", "Born", true, "Day(Born) = 1", true},
    {"Hour(Stamp)", "Stamp", true, "Hour(Stamp) = 13", true},
    {"Minute(Stamp)", "Stamp", true, "Minute(Stamp) = 30", true},
    {"Second(Stamp)", "Stamp", true, "Second(Stamp) = 0", true},
    {"Date(Stamp)", "Stamp", true, "Date(Stamp) = Born", true},
    {"Time(Stamp)", "Stamp", true, "Time(Stamp) > Time(Born)", true},
    {"getdate()", "Born", false, "getdate() > Born", true},
};

TEST(FilterRun, EachOperationsNullRule) {
  const FilterTable& t = Typed();
  for (const NullCase& c : kNullCases) {
    std::vector<uint8_t> r = TypedRecord();
    std::istringstream blank(c.blank);
    for (std::string field; blank >> field;) t.SetBlank(r, field.c_str());
    const std::string operation = c.operation;
    const std::string probe = c.probe ? c.probe : c.operation;
    SCOPED_TRACE(operation + " with blank [" + c.blank + "]");
    EXPECT_EQ(Passes(t, "(" + operation + ") is null", r), c.null);
    EXPECT_EQ(Passes(t, "(" + operation + ") is not null", r), !c.null);
    EXPECT_EQ(Passes(t, "not (" + probe + ")", r), !c.probeValue);
    // A root that is null never passes, whatever its value.
    if (!c.probe && c.null) {
      EXPECT_FALSE(Passes(t, operation, r));
    }
  }
}

TEST(FilterRun, LikeOnABlankBlobIsNullAndZeroWithoutFetchingIt) {
  const FilterTable& t = Lyrics();
  testing::BlobTexts blobs;
  blobs.texts[1] = "love me do";
  std::vector<uint8_t> r = t.NewRecord();
  t.SetValue<int32_t>(r, "Lyric", 1);
  EXPECT_TRUE(Passes(t, "Lyric like '%love%'", r, &blobs));
  EXPECT_FALSE(Passes(t, "(Lyric like '%love%') is null", r, &blobs));
  t.SetBlank(r, "Lyric");  // still holds handle 1
  int fetched = blobs.calls;
  EXPECT_TRUE(Passes(t, "(Lyric like '%love%') is null", r, &blobs));
  // Unlike other operations, its value is not computed from the kept bytes: it is 0.
  EXPECT_TRUE(Passes(t, "not (Lyric like '%love%')", r, &blobs));
  EXPECT_EQ(blobs.calls, fetched);
}

}  // namespace
}  // namespace dsengine
