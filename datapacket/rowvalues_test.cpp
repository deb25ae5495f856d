// The record <-> row value rules: strings, varying bytes, BLOBs and fixed kinds.
#include "datapacket/rowvalues.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "datapacket/packetformat.h"

namespace dspacket {
namespace {

using namespace dsengine;

FieldDescriptor Field(uint32_t type, uint32_t length, uint32_t offset, uint32_t nullOffset) {
  FieldDescriptor f{};
  f.type = type;
  f.length = length;
  f.offset = offset;
  f.nullOffset = nullOffset;
  return f;
}

TEST(RowValues, StringsAreAtLeastOneByte) {
  uint8_t record[16] = {};
  const FieldDescriptor s = Field(fldZSTRING, 6, 0, 15);  // width 5
  RowValue v = RowValueOfField(s, record);
  EXPECT_EQ(v.status, kItemValue);
  EXPECT_EQ(v.length, 1u);
  EXPECT_EQ(v.data[0], 0);
  std::memcpy(record, "Rock", 5);
  v = RowValueOfField(s, record);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.data), v.length), "Rock");
  record[15] = kBlankByClient;
  EXPECT_EQ(RowValueOfField(s, record).status, kItemNull);
  record[15] = kBlankUnassigned;
  EXPECT_EQ(RowValueOfField(s, record).status, kItemUnchanged);
}

TEST(RowValues, EmptyVaryingBytesAreNullAndLongOnesAreCut) {
  uint8_t record[16] = {};
  const FieldDescriptor vb = Field(fldVARBYTES, 6, 0, 15);  // 4 bytes of data
  EXPECT_EQ(RowValueOfField(vb, record).status, kItemNull);
  const uint16_t length = 9;  // more than the field holds
  std::memcpy(record, &length, 2);
  const RowValue v = RowValueOfField(vb, record);
  EXPECT_EQ(v.status, kItemValue);
  EXPECT_EQ(v.length, 4u);
  EXPECT_EQ(v.data, record + 2);
}

TEST(RowValues, BlobsComeFromTheCallerWithTheirLength) {
  uint8_t record[8] = {};
  const FieldDescriptor b = Field(fldBLOB, 4, 0, 4);
  const uint8_t bytes[] = {'l', 'a'};
  RowValue v = RowValueOfField(b, record, bytes, 2);
  EXPECT_EQ(v.length, 2u);
  EXPECT_EQ(v.data, bytes);
  v = RowValueOfField(b, record, nullptr, 0);
  EXPECT_EQ(v.status, kItemValue);  // an emptied BLOB is written with length 0
  EXPECT_EQ(v.length, 0u);
}

TEST(RowValues, StoringCutsStringsAndVaryingBytesToTheField) {
  uint8_t record[24];
  std::memset(record, 0xAA, sizeof record);
  const FieldDescriptor s = Field(fldZSTRING, 6, 0, 20);
  StoreRowValue(s, kItemValue, reinterpret_cast<const uint8_t*>("abcdefgh"), 8, record);
  EXPECT_STREQ(reinterpret_cast<char*>(record), "abcde");
  EXPECT_EQ(record[6], 0xAA);  // nothing beyond the field
  EXPECT_EQ(record[20], kValuePresent);
  const FieldDescriptor vb = Field(fldUNICODE, 6, 8, 21);
  StoreRowValue(vb, kItemValue, reinterpret_cast<const uint8_t*>("abcdefgh"), 8, record);
  uint16_t length = 0;
  std::memcpy(&length, record + 8, 2);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(record[14], 0xAA);
  StoreRowValue(vb, kItemUnchanged, nullptr, 0, record);
  EXPECT_EQ(record[21], kBlankUnassigned);
}

TEST(RowValues, StoringFixedKindsFillsTheField) {
  uint8_t record[8];
  std::memset(record, 0xAA, sizeof record);
  const uint8_t minusTwo = 0xFE, two = 2;
  StoreRowValue(Field(fldINT8, 2, 0, 6), kItemValue, &minusTwo, 1, record);
  EXPECT_EQ(record[0], 0xFE);
  EXPECT_EQ(record[1], 0xFF);  // sign-extended
  StoreRowValue(Field(fldUINT8, 2, 2, 7), kItemValue, &two, 1, record);
  EXPECT_EQ(record[3], 0);
  int16_t value = 0;
  std::memcpy(&value, record, 2);
  EXPECT_EQ(value, -2);
}

}  // namespace
}  // namespace dspacket
