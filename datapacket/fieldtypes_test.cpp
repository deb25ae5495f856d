// The engine type <-> field type word tables, and the choice of converters by type word.
#include "datapacket/fieldtypes.h"

#include <gtest/gtest.h>

#include "datapacket/fldconv.h"

namespace dspacket {
namespace {

using namespace dsengine;

TEST(FieldTypes, EngineTypesMapToTheirWords) {
  struct Case {
    uint32_t type, length, children, word;
  } cases[] = {
      {fldZSTRING, 181, 0, 0x00490001},
      {fldZSTRING, 254, 0, 0x00490001},
      {fldZSTRING, 255, 0, 0x00490002},
      {fldZSTRING, 501, 0, 0x00490002},
      {fldDATE, 4, 0, 0x00060004},
      {fldBLOB, 4, 0, 0x004B0004},
      {fldBOOL, 2, 0, 0x00030002},
      {fldINT16, 2, 0, 0x00010002},
      {fldINT32, 4, 0, 0x00010004},
      {fldFLOAT, 8, 0, 0x00040008},
      {fldBCD, 10, 0, 0x0005000A},
      {fldBYTES, 7, 0, 0x000B0007},
      {fldTIME, 4, 0, 0x00070004},
      {fldTIMESTAMP, 8, 0, 0x00080008},
      {fldUINT16, 2, 0, 0x00020002},
      {fldUINT32, 4, 0, 0x00020004},
      {fldFLOATIEEE, 10, 0, 0x0004000A},
      {fldVARBYTES, 12, 0, 0x004B0001},
      {fldVARBYTES, 300, 0, 0x004B0002},
      {fldINT64, 8, 0, 0x00010008},
      {fldUINT64, 8, 0, 0x00020008},
      {fldADT, 0, 3, 0x010C0003},
      {fldARRAY, 0, 5, 0x030D0005},
      {fldREF, 0, 1, 0x010F0001},
      {fldTABLE, 4, 6, 0x050E0006},
      {fldDATETIME, 16, 0, 0x00110010},
      {fldFMTBCD, 18, 0, 0x00120012},
      {fldINT8, 2, 0, 0x00010001},
      {fldUINT8, 2, 0, 0x00020001},
      {fldBOOL8, 2, 0, 0x00030001},
      {fldBOOL32, 4, 0, 0x00030004},
      {fldUNICODE, 42, 0, 0x004A0001},
      {fldUNICODE, 402, 0, 0x004A0002},
      {fldCURSOR, 4, 0, 0},
      {fldUNKNOWN, 4, 0, 0},
      {77, 4, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldTypeWordOf(c.type, c.length, c.children), c.word) << c.type << "/" << c.length;
  }
}

TEST(FieldTypes, WordsMapBackToEngineTypes) {
  struct Case {
    uint32_t word, type, length, units1;
  } cases[] = {
      {0x00010001, fldINT8, 1, 0},       {0x00010002, fldINT16, 2, 0},
      {0x00010004, fldINT32, 4, 0},      {0x00010008, fldINT64, 8, 0},
      {0x00010003, fldUNKNOWN, 0, 0},    {0x00020001, fldUINT8, 1, 0},
      {0x00020002, fldUINT16, 2, 0},     {0x00020004, fldUINT32, 4, 0},
      {0x00020008, fldUINT64, 8, 0},     {0x00030001, fldBOOL8, 1, 0},
      {0x00030002, fldBOOL, 2, 0},       {0x00030004, fldBOOL32, 4, 0},
      {0x00030008, fldUNKNOWN, 0, 0},    {0x00040008, fldFLOAT, 8, 0},
      {0x0004000A, fldFLOATIEEE, 10, 0}, {0x00040004, fldUNKNOWN, 0, 0},
      {0x00050012, fldBCD, 18, 0},       {0x00060004, fldDATE, 4, 0},
      {0x00070004, fldTIME, 4, 0},       {0x00080008, fldTIMESTAMP, 8, 0},
      {0x00490001, fldZSTRING, 0, 0},    {0x00090014, fldZSTRING, 20, 0},
      {0x004A0002, fldUNICODE, 0, 0},    {0x004B0004, fldBLOB, 0, 0},
      {0x00500004, fldBLOB, 0, 0},       {0x004B0001, fldVARBYTES, 0, 0},
      {0x00500002, fldVARBYTES, 0, 0},   {0x004B0003, fldUNKNOWN, 0, 0},
      {0x000B0009, fldBYTES, 9, 0},      {0x00100009, fldBYTES, 9, 0},
      {0x010C0003, fldADT, 0, 3},        {0x030D0002, fldARRAY, 0, 2},
      {0x050E0006, fldTABLE, 0, 6},      {0x010F0001, fldUNKNOWN, 0, 0},
      {0x00110010, fldDATETIME, 16, 0},  {0x00120010, fldFMTBCD, 16, 0},
      {0x00000004, fldUNKNOWN, 0, 0},    {0x00130004, fldUNKNOWN, 0, 0},
  };
  for (const Case& c : cases) {
    EngineFieldShape shape;
    ASSERT_EQ(EngineShapeOf(c.word, &shape), 0) << std::hex << c.word;
    EXPECT_EQ(shape.type, c.type) << std::hex << c.word;
    EXPECT_EQ(shape.length, c.length) << std::hex << c.word;
    EXPECT_EQ(shape.units1, c.units1) << std::hex << c.word;
  }
  EngineFieldShape shape;
  EXPECT_EQ(EngineShapeOf(0x00820004, &shape), DBERR_INVALIDFLDTYPE);
}

TEST(FieldTypes, ConvertersRefuseUnsupportedWidthsAndCombinations) {
  const uint32_t refused[] = {0x00010003, 0x00020005, 0x00030008, 0x00040004, 0x00080004,
                              0x00060002, 0x00070008, 0x00110008, 0x00490003, 0x004B0008,
                              0x00C90002, 0x008C0000, 0x00850000};
  for (uint32_t word : refused) {
    std::unique_ptr<FLDConv> conv;
    EXPECT_EQ(MakeConverter(word, &conv), DBERR_INVALIDFLDTYPE) << std::hex << word;
  }
  struct Case {
    uint32_t word;
    size_t packetSize;  // of a 3-byte value
  } accepted[] = {
      {0x00010001, 1},  {0x00010008, 8},  {0x00030004, 4}, {0x00040008, 8}, {0x0004000A, 10},
      {0x00050004, 18}, {0x00120022, 18}, {0x00060004, 4}, {0x00080008, 8}, {0x00110010, 16},
      {0x010C0003, 0},  {0x030D0004, 0},  {0x050E0002, 4}, {0x010F0006, 6}, {0x00490001, 4},
      {0x00490002, 5},  {0x004B0004, 7},  {0x000B0005, 5}, {0x80010004, 4},
  };
  const uint8_t value[8] = {1, 2, 3};
  for (const Case& c : accepted) {
    std::unique_ptr<FLDConv> conv;
    ASSERT_EQ(MakeConverter(c.word, &conv), 0) << std::hex << c.word;
    EXPECT_EQ(conv->PacketSize(value, 3), c.packetSize) << std::hex << c.word;
  }
}

}  // namespace
}  // namespace dspacket
