// Value converters (the FLDConv family): one object per column or parameter, chosen from its
// field type word, that writes a value in packet form and finds a value in a packet.
// Used by the packet writer and reader. Immutable after construction; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "datapacket/fieldtypes.h"

namespace dspacket {

// One value as found in a packet, not yet copied out.
struct PacketValue {
  const uint8_t* data = nullptr;  // the value's bytes in the packet (after any length prefix)
  uint32_t length = 0;            // bytes of the value as the engine holds it
  uint32_t blobMarker = 0;        // a 4-byte prefix with bit 31 set: BLOB not fetched, no bytes
};

class FLDConv {
 public:
  // PacketSize of a value that this converter cannot encode.
  static constexpr size_t kUnencodable = SIZE_MAX;

  virtual ~FLDConv() = default;

  // Bytes the packet form of `value` (`length` bytes as the engine holds it) takes, or
  // kUnencodable (a varying value too long for its prefix, a malformed array).
  virtual size_t PacketSize(const uint8_t* value, uint32_t length) const = 0;
  // Writes the packet form at `dest`; returns the position after it.
  // REQUIRES: PacketSize(value, length) != kUnencodable and that many bytes free at dest.
  virtual uint8_t* Write(uint8_t* dest, const uint8_t* value, uint32_t length) const = 0;
  // Finds the value starting at `src` without reading at or beyond `end`. Returns the position
  // after it, or nullptr when the value runs past `end`.
  virtual const uint8_t* Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const = 0;
  // Why Read found no value at `src` (it returned nullptr), for a refusal's reason: "value
  // length 70000 runs past the end of the packet".
  virtual std::string Overrun(const uint8_t* src, const uint8_t* end) const = 0;
  // Copies a value found by Read into `dest` in the engine's form.
  // REQUIRES: dest holds value.length bytes.
  virtual void Extract(const PacketValue& value, uint8_t* dest) const {
    if (value.length != 0) std::memcpy(dest, value.data, value.length);
  }
  // The value's size for fixed kinds; 0 for varying values and arrays.
  virtual uint32_t FixedSize() const { return 0; }
  // The length prefix's size of varying values (1, 2 or 4); 0 for other kinds. A varying
  // value's packet form is this prefix (the low bytes of its length) followed by its bytes
  // unchanged.
  virtual uint32_t PrefixSize() const { return 0; }
  // True when a value found by Read starts with its engine form in the packet (Extract is a
  // plain copy of value.length bytes from value.data).
  virtual bool EngineFormInPlace() const { return true; }
};

// Fixed-size values whose packet form is their engine form.
class FLDCFixed : public FLDConv {
 public:
  explicit FLDCFixed(uint32_t size) : size_(size) {}
  size_t PacketSize(const uint8_t*, uint32_t) const override { return size_; }
  uint8_t* Write(uint8_t* dest, const uint8_t* value, uint32_t) const override;
  const uint8_t* Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const override;
  std::string Overrun(const uint8_t* src, const uint8_t* end) const override;
  uint32_t FixedSize() const override { return size_; }

 private:
  uint32_t size_;
};

class FLDCInt8 : public FLDCFixed {
 public:
  FLDCInt8() : FLDCFixed(1) {}
};
class FLDCInt16 : public FLDCFixed {
 public:
  FLDCInt16() : FLDCFixed(2) {}
};
class FLDCInt32 : public FLDCFixed {
 public:
  FLDCInt32() : FLDCFixed(4) {}
};
class FLDCInt64 : public FLDCFixed {
 public:
  FLDCInt64() : FLDCFixed(8) {}
};
class FLDCFloat : public FLDCFixed {  // IEEE double; also time stamps
 public:
  FLDCFloat() : FLDCFixed(8) {}
};
class FLDCFloatIEEE : public FLDCFixed {  // 80-bit extended
 public:
  FLDCFloatIEEE() : FLDCFixed(10) {}
};
class FLDCSQLTIMESTAMP : public FLDCFixed {  // the engine's 16-byte record, copied as it is
 public:
  FLDCSQLTIMESTAMP() : FLDCFixed(16) {}
};

// Packed decimals: always 18 bytes in the packet; the engine value is the field's own length
// (at most 18 bytes of it travel), the rest of the 18 is zero filler that reading ignores.
class FLDCBcd : public FLDConv {
 public:
  explicit FLDCBcd(uint32_t fieldLength)
      : length_(fieldLength < kBcdPacketSize ? fieldLength : kBcdPacketSize) {}
  size_t PacketSize(const uint8_t*, uint32_t) const override { return kBcdPacketSize; }
  uint8_t* Write(uint8_t* dest, const uint8_t* value, uint32_t) const override;
  const uint8_t* Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const override;
  std::string Overrun(const uint8_t* src, const uint8_t* end) const override;
  uint32_t FixedSize() const override { return length_; }

 private:
  uint32_t length_;
};

// Varying values: an unsigned little-endian length prefix of 1, 2 or 4 bytes, then the bytes.
class FLDCVar : public FLDConv {
 public:
  size_t PacketSize(const uint8_t*, uint32_t length) const override;
  uint8_t* Write(uint8_t* dest, const uint8_t* value, uint32_t length) const override;
  const uint8_t* Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const override;
  std::string Overrun(const uint8_t* src, const uint8_t* end) const override;
  uint32_t PrefixSize() const override { return prefix_; }

 protected:
  explicit FLDCVar(uint32_t prefix) : prefix_(prefix) {}

 private:
  uint32_t prefix_;
};

class FLDCVar8 : public FLDCVar {
 public:
  FLDCVar8() : FLDCVar(1) {}
};
class FLDCVar16 : public FLDCVar {
 public:
  FLDCVar16() : FLDCVar(2) {}
};
class FLDCVar32 : public FLDCVar {  // BLOBs; bit 31 of the prefix marks data not fetched
 public:
  FLDCVar32() : FLDCVar(4) {}
};

// Array parameters: a 32-bit element count, then each element through the element converter.
// The engine form is the same count followed by the elements in their engine form.
class FLDCRepeat : public FLDConv {
 public:
  // REQUIRES: element is a fixed kind with a non-zero size.
  explicit FLDCRepeat(std::unique_ptr<FLDConv> element);
  size_t PacketSize(const uint8_t* value, uint32_t length) const override;
  uint8_t* Write(uint8_t* dest, const uint8_t* value, uint32_t length) const override;
  const uint8_t* Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const override;
  std::string Overrun(const uint8_t* src, const uint8_t* end) const override;
  void Extract(const PacketValue& value, uint8_t* dest) const override;
  bool EngineFormInPlace() const override { return elementSize_ == elementPacketSize_; }

 private:
  std::unique_ptr<FLDConv> element_;
  FLDCInt32 count_;
  uint32_t elementSize_;        // engine bytes per element
  uint32_t elementPacketSize_;  // packet bytes per element
};

// Chooses the binary converter of a field type word (the round-trip flag is ignored).
// DBERR_INVALIDFLDTYPE for an unsupported width or combination; DBERR_NOMEMORY when memory runs
// out.
DBResult MakeConverter(uint32_t fieldTypeWord, std::unique_ptr<FLDConv>* converter);

}  // namespace dspacket
