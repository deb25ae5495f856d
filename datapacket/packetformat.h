// Constants of the binary data packet shared by its writer and reader: header offsets, magic
// numbers, packet flags, row status bits and limits; and the column description both hand to
// the engine. The byte layout itself is documented at the top of packetreader.cpp.
#pragma once

#include <cstdint>

namespace dspacket {

constexpr uint32_t kPacketMagic = 0xBDE01996;           // what this writer writes
constexpr uint32_t kPacketMagicAlternate = 0x0000ABCD;  // accepted with any version words
constexpr uint16_t kMaxPacketVersion = 3;               // version words above it are refused
constexpr uint16_t kVersionMajor = 1;
constexpr uint16_t kVersionMajorExtended = 2;  // with any column of packet type 12 to 18

// Header field offsets (24 bytes in all).
constexpr uint32_t kHeaderSize = 24;
constexpr uint32_t kHdrMagic = 0;
constexpr uint32_t kHdrVersionMajor = 4;
constexpr uint32_t kHdrVersionMinor = 6;
constexpr uint32_t kHdrHeaderSize = 8;
constexpr uint32_t kHdrColumnCount = 12;
constexpr uint32_t kHdrRowCount = 14;
constexpr uint32_t kHdrFlags = 18;
constexpr uint32_t kHdrRowDataOffset = 22;

// Packet flags.
constexpr uint32_t kPacketHasMetadata = 0x00000001;
constexpr uint32_t kPacketRowDataOffsetValid = 0x00000002;
constexpr uint32_t kPacketTextBody = 0x00008000;
constexpr uint32_t kMaxRowDataOffset = 0xFFFF;  // the header keeps it in 16 bits

// Row status bits, two per column: bit 2*(j mod 4) of status byte j / 4.
constexpr uint8_t kRowStatusNull = 1;
constexpr uint8_t kRowStatusUnchanged = 2;

// Item statuses of AppendValue / ReadNextItem.
constexpr uint32_t kItemValue = 0;
constexpr uint32_t kItemNull = 1;
constexpr uint32_t kItemUnchanged = 2;

// Nested-table row counts with bit 31 set carry no rows.
constexpr uint32_t kNestedNotFetched = 0x80000000;    // rows not fetched from their source
constexpr uint32_t kNestedCountPending = 0xFFFFFFFF;  // patched by CloseNestedRows

// A packet holds at most this many levels (level 0 and nested tables); a deeper one is refused.
constexpr uint32_t kMaxPacketLevels = 63;
// The writer keeps this much room before each column descriptor.
constexpr uint32_t kColumnReserve = 139;
// First buffer size of a writer, and the growth limits.
constexpr uint32_t kInitialPacketBuffer = 32768;
constexpr uint32_t kGrowthStepSmall = 32768;
constexpr uint32_t kGrowthStepLargeCap = 1024000;
// The format levels BeginPacket accepts (0 to 3).
constexpr uint32_t kMaxFormatLevel = 3;
// Name buffer NextParameter fills: a name of up to 255 characters and its terminating zero.
constexpr uint32_t kParamNameBufferSize = 256;
// Stream modes (SetTextMode): 0 binary; XML modes are built elsewhere.
constexpr uint32_t kStreamBinary = 0;

// The column as the engine hands it to the writer and gets it back from the reader.
struct DSColumnDesc {
  char name[32];        // zero-terminated, at most 31 characters
  uint32_t fieldType;   // field type word
  uint16_t attributes;  // field attribute word
};

}  // namespace dspacket
