// Layout computation: lengths by type, offsets, null offsets, field numbers and the statuses.
#include "tableengine/dslayout.h"

#include <gtest/gtest.h>

#include <vector>

#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using testing::MakeField;

TEST(Layout, LyricsTableGivesThe1058ByteRecord) {
  auto fields = testing::LyricsFields();
  uint32_t size = 0;
  ASSERT_EQ(ComputeLayout(fields.data(), uint32_t(fields.size()), &size), DBERR_NONE);
  EXPECT_EQ(size, 1058u);
  const uint32_t offsets[] = {0, 4, 185, 366, 547, 551};
  const uint32_t lengths[] = {4, 181, 181, 181, 4, 501};
  for (uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(fields[i].offset, offsets[i]) << i;
    EXPECT_EQ(fields[i].length, lengths[i]) << i;
    EXPECT_EQ(fields[i].nullOffset, 1052 + i) << i;
    EXPECT_EQ(fields[i].fieldNumber, i + 1);
    EXPECT_EQ(fields[i].parent, 0);
  }
  EXPECT_EQ(fields[4].units1, 0u) << "a blob keeps units 0";
}

TEST(Layout, LengthsByTypeCode) {
  struct Case {
    uint32_t type, units1, length;
  } cases[] = {{fldZSTRING, 10, 11}, {fldDATE, 0, 4},   {fldBOOL, 0, 2},       {fldINT16, 0, 2},
               {fldFLOAT, 0, 8},     {fldBCD, 9, 7},    {fldBCD, 0, 34},       {fldBYTES, 7, 7},
               {fldTIME, 0, 4},      {fldUINT16, 0, 2}, {fldFLOATIEEE, 0, 10}, {fldVARBYTES, 5, 7},
               {fldINT64, 0, 8},     {fldTABLE, 0, 4},  {fldDATETIME, 0, 16},  {fldFMTBCD, 4, 4},
               {fldINT8, 0, 2},      {fldBOOL32, 0, 4}, {fldUNICODE, 20, 22}};
  for (const Case& c : cases) {
    std::vector<FieldDescriptor> f = {MakeField("A", c.type, 0, c.units1)};
    uint32_t size = 0;
    ASSERT_EQ(ComputeLayout(f.data(), 1, &size), DBERR_NONE) << c.type;
    EXPECT_EQ(f[0].length, c.length) << c.type;
    EXPECT_EQ(size, c.length + 1) << c.type;
  }
}

TEST(Layout, UnitsZeroBecomesOneExceptForBlobs) {
  std::vector<FieldDescriptor> f = {MakeField("A", fldINT32, 0, 0), MakeField("B", fldBLOB, 23, 0)};
  uint32_t size;
  ASSERT_EQ(ComputeLayout(f.data(), 2, &size), DBERR_NONE);
  EXPECT_EQ(f[0].units1, 1u);
  EXPECT_EQ(f[1].units1, 0u);
}

TEST(Layout, StringTakesGivenLengthWhenUnitsAreZero) {
  std::vector<FieldDescriptor> f = {MakeField("A", fldZSTRING, 0, 0)};
  f[0].length = 21;
  uint32_t size;
  ASSERT_EQ(ComputeLayout(f.data(), 1, &size), DBERR_NONE);
  EXPECT_EQ(f[0].units1, 20u);
  EXPECT_EQ(f[0].length, 21u);
}

TEST(Layout, VarBytesWithMemoSubTypeBecomesBlob) {
  std::vector<FieldDescriptor> f = {MakeField("A", fldVARBYTES, fldstMEMO, 100)};
  uint32_t size;
  ASSERT_EQ(ComputeLayout(f.data(), 1, &size), DBERR_NONE);
  EXPECT_EQ(f[0].type, uint32_t(fldBLOB));
  EXPECT_EQ(f[0].length, 4u);
}

TEST(Layout, RefusesBadFields) {
  uint32_t size;
  std::vector<FieldDescriptor> noSize = {MakeField("A", fldZSTRING, 0, 0)};
  EXPECT_EQ(ComputeLayout(noSize.data(), 1, &size), DBERR_INVALIDPARAM);
  std::vector<FieldDescriptor> tooLong = {MakeField("A", fldBYTES, 0, 65532)};
  EXPECT_EQ(ComputeLayout(tooLong.data(), 1, &size), DBERR_INVALIDFLDTYPE);
  std::vector<FieldDescriptor> longest = {MakeField("A", fldBYTES, 0, 65531)};
  EXPECT_EQ(ComputeLayout(longest.data(), 1, &size), DBERR_NONE);
  std::vector<FieldDescriptor> zeroBytes = {MakeField("A", fldBYTES, 0, 0)};
  EXPECT_EQ(ComputeLayout(zeroBytes.data(), 1, &size), DBERR_INVALIDFLDTYPE);
  std::vector<FieldDescriptor> unknown = {MakeField("A", 99, 0, 4)};
  EXPECT_EQ(ComputeLayout(unknown.data(), 1, &size), DBERR_INVALIDFLDTYPE);
  std::vector<FieldDescriptor> unterminated = {MakeField("A", fldINT32, 0, 0)};
  memset(unterminated[0].name, 'x', sizeof unterminated[0].name);
  EXPECT_EQ(ComputeLayout(unterminated.data(), 1, &size), DBERR_INVALIDPARAM);
  EXPECT_EQ(ComputeLayout(nullptr, 0, &size), DBERR_INVALIDPARAM);
}

TEST(Layout, ChildrenOfStructuresGetTheirParent) {
  std::vector<FieldDescriptor> f = {MakeField("S", fldADT, 0, 2), MakeField("A", fldINT32, 0, 0),
                                    MakeField("B", fldINT16, 0, 0), MakeField("C", fldINT32, 0, 0)};
  uint32_t size;
  ASSERT_EQ(ComputeLayout(f.data(), 4, &size), DBERR_NONE);
  EXPECT_EQ(f[0].length, 0u);
  EXPECT_EQ(f[1].parent, 1);
  EXPECT_EQ(f[2].parent, 1);
  EXPECT_EQ(f[3].parent, 0);
  EXPECT_EQ(f[1].offset, 0u);
  EXPECT_EQ(f[3].offset, 6u);
  EXPECT_EQ(size, 10u + 4u);
}

}  // namespace
}  // namespace dsengine
