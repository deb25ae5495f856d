// The table file: the lyrics table saved to and loaded from one binary data packet, the only
// way the program reaches the packet layer. Used by uFunctions (load at start-up, save after
// creating) and dMain (save at shut-down, recovery packet). UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datapacket/clientdataset.h"

// Writes the whole table (all record versions, change log, counter) to `path` as a binary
// packet. Does nothing when the table holds no engine table. Raises on failure; a failed save
// leaves the previous file as it was.
void SaveTableFile(db::TClientDataSet& table, const std::string& path);
// Closes the table and opens it from the packet in `path`. Raises on failure ("Mismatch in
// datapacket." for bytes that are no packet); the table then stays closed.
void LoadTableFile(db::TClientDataSet& table, const std::string& path);
// The whole table as binary packet bytes (empty when the table holds no engine table).
std::vector<uint8_t> TablePacket(db::TClientDataSet& table);
