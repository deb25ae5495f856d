// Test helpers for packet tests: a byte builder for fixtures written field by field from the
// layout, and column descriptions. Included by datapacket's *_test.cpp files only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "datapacket/bytearray.h"
#include "datapacket/packetformat.h"
#include "datapacket/packetwalk.h"

namespace dspacket::testing {

class Bytes {
 public:
  Bytes& u8(uint8_t v) { return raw(&v, 1); }
  Bytes& u16(uint16_t v) { return raw(&v, 2); }
  Bytes& u32(uint32_t v) { return raw(&v, 4); }
  Bytes& text(const std::string& s) { return raw(s.data(), s.size()); }
  Bytes& zeros(size_t n) { return fill(n, 0); }
  Bytes& fill(size_t n, uint8_t v) {
    b.insert(b.end(), n, v);
    return *this;
  }
  Bytes& raw(const void* p, size_t n) {
    const uint8_t* q = static_cast<const uint8_t*>(p);
    b.insert(b.end(), q, q + n);
    return *this;
  }
  // A name as packets hold it: length byte, then the characters.
  Bytes& name(const std::string& s) { return u8(static_cast<uint8_t>(s.size())).text(s); }
  Bytes& header(uint16_t columns, uint32_t rows, uint32_t flags, uint16_t rowDataOffset,
                uint16_t major = 1, uint32_t magic = kPacketMagic, uint16_t minor = 0) {
    return u32(magic).u16(major).u16(minor).u32(24).u16(columns).u32(rows).u32(flags).u16(
        rowDataOffset);
  }
  Bytes& column(const std::string& n, uint32_t type, uint16_t attributes, uint16_t params) {
    return name(n).u32(type).u16(attributes).u16(params);
  }
  size_t size() const { return b.size(); }
  std::vector<uint8_t> b;
};

inline DSColumnDesc Col(const char* name, uint32_t type, uint16_t attributes = 0) {
  DSColumnDesc c{};
  std::strncpy(c.name, name, sizeof c.name - 1);
  c.fieldType = type;
  c.attributes = attributes;
  return c;
}

inline std::vector<uint8_t> ToVector(const ByteArray& a) {
  return std::vector<uint8_t>(a.data(), a.data() + a.size());
}

inline std::string Hex(std::span<const uint8_t> bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Records a packet walk as readable lines, one per column, parameter, level end and item.
class Recorder : public PacketVisitor {
 public:
  void Column(uint32_t depth, const DSColumnDesc& c) override {
    lines.push_back("col " + std::to_string(depth) + " " + c.name + " " + Word(c.fieldType) + " " +
                    std::to_string(c.attributes));
  }
  void Parameter(uint32_t depth, bool table, const char* name, uint32_t type,
                 std::span<const uint8_t> value) override {
    lines.push_back(std::string(table ? "tparam " : "fparam ") + std::to_string(depth) + " " +
                    name + " " + Word(type) + " " + Hex(value));
  }
  void LevelEnd(uint32_t depth) override { lines.push_back("end " + std::to_string(depth)); }
  void Item(uint32_t status, std::span<const uint8_t> value) override {
    lines.push_back("item " + std::to_string(status) + " " + Hex(value));
  }
  static std::string Word(uint32_t w) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", w);
    return buf;
  }
  std::vector<std::string> lines;
};

}  // namespace dspacket::testing
