// The ZIP records against vectors written out byte by byte in the order of PKWARE's APPNOTE
// (4.3.7, 4.3.12, 4.3.16), each field with a value no other field has, so a field bound to
// the wrong place shows in both directions.
#include "skin/ziplayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace skin {
namespace {

const std::vector<uint8_t> kLocalHeader = {
    0x50, 0x4B, 0x03, 0x04,  // signature
    0x0A, 0x00,              // version needed 10
    0x09, 0x00,              // flags: encrypted, data descriptor
    0x08, 0x00,              // method: DEFLATE
    0x3C, 0x7A,              // time 15:17:56
    0x89, 0x55,              // date 2022-12-09
    0x80, 0x88, 0xF9, 0xE5,  // CRC-32
    0x1E, 0x00, 0x00, 0x00,  // compressed size 30
    0x11, 0x01, 0x00, 0x00,  // uncompressed size 273
    0x05, 0x00,              // name length 5
    0x06, 0x00,              // extra field length 6
};

const std::vector<uint8_t> kCentralEntry = {
    0x50, 0x4B, 0x01, 0x02,  // signature
    0x14, 0x03,              // version made by 0x0314
    0x0A, 0x00,              // version needed 10
    0x09, 0x00,              // flags
    0x08, 0x00,              // method
    0x3C, 0x7A,              // time
    0x89, 0x55,              // date
    0x80, 0x88, 0xF9, 0xE5,  // CRC-32
    0x1E, 0x00, 0x00, 0x00,  // compressed size
    0x11, 0x01, 0x00, 0x00,  // uncompressed size
    0x05, 0x00,              // name length
    0x06, 0x00,              // extra field length
    0x02, 0x00,              // comment length
    0x00, 0x00,              // disk number start
    0x00, 0x00,              // internal attributes
    0x00, 0x00, 0x00, 0x00,  // external attributes
    0x34, 0x12, 0x00, 0x00,  // local header offset 0x1234
};

const std::vector<uint8_t> kEndRecord = {
    0x50, 0x4B, 0x05, 0x06,  // signature
    0x00, 0x00,              // this disk
    0x00, 0x00,              // disk of the directory
    0x03, 0x00,              // entries on this disk
    0x03, 0x00,              // entries in total
    0x9A, 0x00, 0x00, 0x00,  // directory size 154
    0x78, 0x56, 0x00, 0x00,  // directory offset 0x5678
    0x07, 0x00,              // comment length 7
};

TZipEntry VectorEntry() {
  TZipEntry e;
  e.versionMadeBy = 0x0314;
  e.versionNeeded = 10;
  e.flags = kFlagEncrypted | kFlagDataDescriptor;
  e.method = kZipMethodDeflate;
  e.time = 0x7A3C;
  e.date = 0x5589;
  e.crc32 = 0xE5F98880;
  e.compressedSize = 30;
  e.uncompressedSize = 273;
  e.nameLength = 5;
  e.extraLength = 6;
  e.commentLength = 2;
  e.localHeaderOffset = 0x1234;
  return e;
}

TEST(ZipLayout, RecordSizesMatchTheVectors) {
  EXPECT_EQ(ZipLocalHeader::kSize, kLocalHeader.size());
  EXPECT_EQ(ZipCentralEntry::kSize, kCentralEntry.size());
  EXPECT_EQ(ZipEndRecord::kSize, kEndRecord.size());
}

TEST(ZipLayout, EncodersWriteEveryFieldInPlace) {
  std::vector<uint8_t> local, central, end;
  AppendZipLocalHeader(local, VectorEntry());
  AppendZipCentralEntry(central, VectorEntry());
  AppendZipEndRecord(end, TZipEndRecord{3, 154, 0x5678, 7});
  EXPECT_EQ(local, kLocalHeader);
  EXPECT_EQ(central, kCentralEntry);
  EXPECT_EQ(end, kEndRecord);
}

TEST(ZipLayout, EncodersAppendBehindWhatIsThere) {
  std::vector<uint8_t> out = {1, 2, 3};
  AppendZipEndRecord(out, TZipEndRecord{3, 154, 0x5678, 7});
  ASSERT_EQ(out.size(), 3 + kEndRecord.size());
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 3, out.end()), kEndRecord);
}

TEST(ZipLayout, DecodersReadEveryField) {
  EXPECT_TRUE(DecodeZipCentralEntry(kCentralEntry.data()) == VectorEntry());
  TZipEndRecord end;
  ASSERT_TRUE(DecodeZipEndRecord(kEndRecord.data(), end));
  EXPECT_TRUE(end == (TZipEndRecord{3, 154, 0x5678, 7}));
}

TEST(ZipLayout, EndRecordIsRecognisedByItsSignature) {
  std::vector<uint8_t> damaged = kEndRecord;
  damaged[3] = 0x07;
  TZipEndRecord end;
  EXPECT_FALSE(DecodeZipEndRecord(damaged.data(), end));
}

TEST(ZipLayout, FieldReadsAreBoundsChecked) {
  platform::ByteReader r(kLocalHeader.data(), kLocalHeader.size());
  EXPECT_EQ(ReadZipField(r, 0, ZipLocalHeader::kExtraLength), 6u);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(ReadZipField(r, 2, ZipLocalHeader::kExtraLength), 0u);  // runs 2 bytes past the end
  EXPECT_FALSE(r.ok());
}

TEST(ZipLayout, FieldWritesTouchOnlyTheirBytes) {
  std::vector<uint8_t> bytes = kCentralEntry;
  WriteZipField(bytes, 0, ZipCentralEntry::kCompressedSize, 0xA1B2C3D4);
  std::vector<uint8_t> want = kCentralEntry;
  want[20] = 0xD4, want[21] = 0xC3, want[22] = 0xB2, want[23] = 0xA1;
  EXPECT_EQ(bytes, want);
}

}  // namespace
}  // namespace skin
