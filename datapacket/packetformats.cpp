// Writer choice by stream mode and reader choice by content.
#include "datapacket/packetformats.h"

#include <new>

#include "datapacket/xmlreader.h"
#include "datapacket/xmltext.h"
#include "datapacket/xmlwriter.h"
#include "platform/asciitext.h"

namespace dspacket {

using namespace dsengine;

std::unique_ptr<TDATAPACKET_WRITE> MakePacketWriter(uint32_t streamMode) {
  std::unique_ptr<TDATAPACKET_WRITE> writer;
  if (IsXmlStreamMode(streamMode)) {
    writer.reset(new (std::nothrow) DSXMLWRITER());
  } else {
    writer.reset(new (std::nothrow) DSDATAPACKET());
  }
  if (writer != nullptr) writer->SetTextMode(streamMode);
  return writer;
}

uint32_t StreamModeForSave(std::string_view fileName, uint32_t packetFormat) {
  if (packetFormat == 1) return kStreamXml;
  if (packetFormat == 2) return kStreamXmlUtf8Mode;
  const size_t dot = fileName.find_last_of('.');
  const size_t slash = fileName.find_last_of("\\/");
  const bool hasExtension =
      dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
  if (hasExtension && platform::EqualsAsciiNoCase(fileName.substr(dot), ".xml")) return kStreamXml;
  return kStreamBinary;
}

DBResult OpenPacketByContent(std::span<const uint8_t> packet,
                             std::unique_ptr<TDATAPACKET_READ>* reader, uint32_t* streamMode,
                             PacketFault* fault) {
  if (reader == nullptr) return DBERR_INVALIDPARAM;
  reader->reset();
  PacketHeader header;
  PacketFault headerFault;
  const bool binary = ReadPacketHeader(packet, &header, &headerFault);
  std::unique_ptr<TDATAPACKET_READ> opened;
  if (binary) {
    opened.reset(new (std::nothrow) DSEXTRACT());
  } else {
    opened.reset(new (std::nothrow) DSXMLEXTRACT());
  }
  if (opened == nullptr) return PACKET_REFUSE(fault, DBERR_NOMEMORY, "out of memory for a reader");
  const DBResult status = opened->OpenPacket(packet);
  if (status != DBERR_NONE) {
    // Bytes with a binary magic are no XML: the header check tells why they were refused.
    const bool headerExplains = !binary && HasPacketMagic(packet);
    PassOnFault(headerExplains ? headerFault : opened->Fault(), fault);
    return status;
  }
  if (streamMode != nullptr) *streamMode = opened->TextMode();
  *reader = std::move(opened);
  return DBERR_NONE;
}

}  // namespace dspacket
