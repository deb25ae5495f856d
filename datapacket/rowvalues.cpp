// Record field <-> packet row value.
#include "datapacket/rowvalues.h"

#include <algorithm>
#include <cstring>

#include "datapacket/packetformat.h"

namespace dspacket {

using namespace dsengine;

namespace {

// Bytes of text a varying field (16-bit length in front) can hold.
uint32_t VaryingCapacity(const FieldDescriptor& field) {
  return field.length >= 2 ? field.length - 2 : 0;
}

}  // namespace

RowValue RowValueOfField(const FieldDescriptor& field, const uint8_t* record, const uint8_t* blob,
                         uint32_t blobLength) {
  return RowValueOf(field, record + field.offset, record[field.nullOffset], blob, blobLength);
}

RowValue RowValueOf(const FieldDescriptor& field, const uint8_t* value, uint8_t nullFlag,
                    const uint8_t* blob, uint32_t blobLength) {
  RowValue out;
  if (nullFlag == kBlankByClient || nullFlag == kBlankUnassigned) {
    out.status = nullFlag == kBlankByClient ? kItemNull : kItemUnchanged;
    return out;
  }
  switch (field.type) {
    case fldZSTRING: {
      // At least one byte: an empty string travels as its terminating zero.
      const size_t width = field.length != 0 ? field.length - 1 : 0;
      const size_t chars = strnlen(reinterpret_cast<const char*>(value), width);
      out.data = value;
      out.length = static_cast<uint32_t>(std::max<size_t>(chars, 1));
      return out;
    }
    case fldVARBYTES:
    case fldUNICODE: {
      uint16_t length = 0;
      std::memcpy(&length, value, 2);
      if (length == 0) {
        out.status = kItemNull;
        return out;
      }
      out.data = value + 2;
      out.length = std::min<uint32_t>(length, VaryingCapacity(field));
      return out;
    }
    case fldBLOB:
      out.data = blob;
      out.length = blob != nullptr ? blobLength : 0;
      return out;
    default:
      out.data = value;
      out.length = field.length;
      return out;
  }
}

void StoreRowValue(const FieldDescriptor& field, uint32_t status, const uint8_t* data,
                   uint32_t length, uint8_t* record) {
  uint8_t* value = record + field.offset;
  if (status != kItemValue) {
    record[field.nullOffset] = status == kItemNull ? kBlankByClient : kBlankUnassigned;
    return;
  }
  record[field.nullOffset] = kValuePresent;
  switch (field.type) {
    case fldZSTRING: {
      const uint32_t width = field.length != 0 ? field.length - 1 : 0;
      const uint32_t n = std::min(length, width);
      if (n != 0) std::memcpy(value, data, n);
      if (field.length != 0) value[n] = 0;
      return;
    }
    case fldVARBYTES:
    case fldUNICODE: {
      if (field.length < 2) return;
      const uint16_t n = static_cast<uint16_t>(std::min(length, VaryingCapacity(field)));
      std::memcpy(value, &n, 2);
      if (n != 0) std::memcpy(value + 2, data, n);
      return;
    }
    default: {
      const uint32_t n = std::min(length, field.length);
      if (n != 0) std::memcpy(value, data, n);
      uint8_t fill = 0;
      if (field.type == fldINT8 && n != 0 && (data[n - 1] & 0x80)) fill = 0xFF;
      if (n < field.length) std::memset(value + n, fill, field.length - n);
      return;
    }
  }
}

}  // namespace dspacket
