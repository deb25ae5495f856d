// A whole table as a data packet and back: the export writes every column, field and table
// parameter and row of a DSBASE through a packet writer; the import defines an empty DSBASE from
// a packet's metadata and loads its rows, parameters and change log.
// Users: the client dataset's file and stream save/load, the packet tool, benchmarks.
// Thread-safety: both take the table's lock for their whole run. Never throw: statuses only.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "datapacket/bytearray.h"
#include "datapacket/packetfault.h"
#include "datapacket/packetwriter.h"
#include "tableengine/dsbase.h"
#include "tableengine/dsstatus.h"

namespace dspacket {

// The packet of the whole table in the table's stream mode (property 19: 0 binary, 5 XML,
// 13 UTF-8 XML). On success `packet` holds the bytes; on failure it is left empty.
// DBERR_DATAPACKETMISMATCH for a table without fields, DBERR_NA when no column is left to write,
// writer statuses.
dsengine::DBResult ExportPacket(dsengine::DSBASE& table, ByteArray* packet);
// The same packet sent into `sink` as it is made: a binary packet a chunk at a time (its
// header patched at the end), so no copy of the whole packet is ever held; an XML packet whole
// once it is complete. A sink that refuses bytes ends the export with DBERR_NA (the sink knows
// why); the bytes sent until then are no complete packet.
dsengine::DBResult ExportPacket(dsengine::DSBASE& table, PacketSink& sink);

// Defines `table` (which must not be created yet) from the packet's metadata and loads its
// rows, parameters, change log and auto-increment counter; rebuilds every index. The format is
// found by content (binary header, else XML); the table's stream mode becomes 0 or 5.
// `lastPacket` false keeps the table open for follow-up packets.
// A call on a created table appends the rows of a follow-up packet (DBERR_CANNOTAPPEND when the
// table's first packet was its last). On failure the table is left without definition, ready for
// another first packet. Statuses: DBERR_NA (no bytes), DBERR_DATAPACKETMISMATCH, DBERR_NOMETADATA,
// DBERR_NOFIELDNAME, DBERR_INVALIDFLDTYPE, DBERR_INVALIDPARAM, DBERR_NOMEMORY. `fault`, when given,
// says why a packet was refused (the first failing check, of the reader or of the import) and is
// cleared on success.
dsengine::DBResult ImportPacket(dsengine::DSBASE& table, std::span<const uint8_t> packet,
                                bool lastPacket = true, PacketFault* fault = nullptr);
// As above for a packet the table may keep: the BLOB values of a binary packet are not copied
// but borrowed where they lie, and the table's blob store holds `packet` for as long as any
// entry borrows from it (an XML packet, or one without BLOB values, is not held). A load then
// touches no fresh memory for the BLOB bytes. The bytes must not change while held.
dsengine::DBResult ImportPacket(dsengine::DSBASE& table, std::shared_ptr<const ByteArray> packet,
                                bool lastPacket = true, PacketFault* fault = nullptr);

}  // namespace dspacket
