// Choosing the packet form: the writer for a stream mode (binary or XML) and the reader for a
// packet's content (a valid binary header makes a binary packet, anything else is read as XML).
// Used by the table export and import and the packet tools. Stateless.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "datapacket/packetreader.h"
#include "datapacket/packetwriter.h"

namespace dspacket {

// A writer for `streamMode` (engine property 19), with the mode already set: the XML writer
// for modes with bit 1 or 2 (5: XML, 13: UTF-8 XML), else the binary writer (which accepts
// only mode 0). Null when memory runs out.
std::unique_ptr<TDATAPACKET_WRITE> MakePacketWriter(uint32_t streamMode);

// The stream mode of a file save: packet format 0 binary, 1 XML, 2 UTF-8 XML give 0, 5, 13;
// a binary save to a name whose extension is ".xml" in any letter case gives XML (5).
uint32_t StreamModeForSave(std::string_view fileName, uint32_t packetFormat);

// Import by content: opens `packet` with the binary reader when its header is a valid binary
// header, else with the XML reader. On success `reader` holds the opened reader and
// `streamMode` (if given) the table's stream mode from now on: 0 binary, 5 XML. On failure
// the status of the reader that tried (DBERR_DATAPACKETMISMATCH for bytes that are neither form,
// DBERR_NOMETADATA without metadata, ...), `reader` is reset and `fault` (if given) says why: the
// reason of the reader that tried, or for bytes that start with a packet magic but fail the binary
// header check, that check's reason.
DBResult OpenPacketByContent(std::span<const uint8_t> packet,
                             std::unique_ptr<TDATAPACKET_READ>* reader,
                             uint32_t* streamMode = nullptr, PacketFault* fault = nullptr);

}  // namespace dspacket
