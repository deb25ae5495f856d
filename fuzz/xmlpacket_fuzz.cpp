// Fuzz target for the XML packet reader: opens the input as an XML data packet and walks every
// column, parameter and row item (peeking each length first). A document that reads cleanly is
// copied through the XML writer (plain or UTF-8 by the input's last byte) and through the
// binary writer; an XML document the writer finishes must open and read cleanly again.
// Never a crash, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "datapacket/packetwriter.h"
#include "datapacket/xml_testing.h"
#include "datapacket/xmlreader.h"
#include "datapacket/xmlwriter.h"

namespace {

using namespace dspacket;

// Copies the document into `writer`; true when the writer took all of it.
bool CopyInto(std::span<const uint8_t> doc, TDATAPACKET_WRITE& writer, ByteArray* out) {
  DSXMLEXTRACT reader;
  if (reader.OpenPacket(doc) != 0) return false;
  testing::Relay relay(reader, writer);
  return relay.Run(reader.ColumnCount()) == 0 && writer.FinishPacket(out) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  ByteArray binary;
  DSDATAPACKET binaryWriter;
  if (!CopyInto(input, binaryWriter, &binary)) return 0;  // not a readable packet: done

  DSXMLWRITER xmlWriter;
  xmlWriter.SetTextMode(size != 0 && (data[size - 1] & 1) ? kStreamXmlUtf8Mode : kStreamXml);
  ByteArray xml;
  if (!CopyInto(input, xmlWriter, &xml)) return 0;
  DSDATAPACKET again;
  ByteArray binaryAgain;
  if (!CopyInto(xml.bytes(), again, &binaryAgain)) std::abort();  // our own XML must read
  return 0;
}
