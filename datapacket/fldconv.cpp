// The binary value converters and the choice of a converter from a field type word.
#include "datapacket/fldconv.h"

#include <bit>
#include <new>

#include "datapacket/packetfault.h"

namespace dspacket {

using namespace dsengine;

static_assert(std::endian::native == std::endian::little,
              "packet values are copied as they are: the host must be little-endian");

uint8_t* FLDCFixed::Write(uint8_t* dest, const uint8_t* value, uint32_t) const {
  if (size_ != 0) std::memcpy(dest, value, size_);
  return dest + size_;
}

const uint8_t* FLDCFixed::Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const {
  if (static_cast<size_t>(end - src) < size_) return nullptr;
  *value = PacketValue{src, size_, 0};
  return src + size_;
}

std::string FLDCFixed::Overrun(const uint8_t*, const uint8_t*) const {
  return ReasonText("a %u-byte value runs past the end of the packet", size_);
}

uint8_t* FLDCBcd::Write(uint8_t* dest, const uint8_t* value, uint32_t) const {
  if (length_ != 0) std::memcpy(dest, value, length_);
  std::memset(dest + length_, 0, kBcdPacketSize - length_);
  return dest + kBcdPacketSize;
}

const uint8_t* FLDCBcd::Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const {
  if (static_cast<size_t>(end - src) < kBcdPacketSize) return nullptr;
  *value = PacketValue{src, length_, 0};
  return src + kBcdPacketSize;
}

std::string FLDCBcd::Overrun(const uint8_t*, const uint8_t*) const {
  return ReasonText("a %u-byte packed decimal runs past the end of the packet", kBcdPacketSize);
}

namespace {

// Largest length a prefix of `prefix` bytes can carry; for 4 bytes bit 31 is the
// not-fetched marker, so real lengths stay below it.
uint32_t MaxVaryingLength(uint32_t prefix) {
  return prefix == 1 ? 0xFFu : prefix == 2 ? 0xFFFFu : 0x7FFFFFFFu;
}

}  // namespace

size_t FLDCVar::PacketSize(const uint8_t*, uint32_t length) const {
  if (length > MaxVaryingLength(prefix_)) return kUnencodable;
  return size_t{prefix_} + length;
}

uint8_t* FLDCVar::Write(uint8_t* dest, const uint8_t* value, uint32_t length) const {
  std::memcpy(dest, &length, prefix_);  // the low bytes of a little-endian length
  if (length != 0) std::memcpy(dest + prefix_, value, length);
  return dest + prefix_ + length;
}

const uint8_t* FLDCVar::Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const {
  size_t avail = static_cast<size_t>(end - src);
  if (avail < prefix_) return nullptr;
  uint32_t length = 0;
  std::memcpy(&length, src, prefix_);
  src += prefix_;
  avail -= prefix_;
  if (prefix_ == 4 && (length & 0x80000000u)) {
    *value = PacketValue{src, 0, length};
    return src;
  }
  if (length > avail) return nullptr;
  *value = PacketValue{src, length, 0};
  return src + length;
}

std::string FLDCVar::Overrun(const uint8_t* src, const uint8_t* end) const {
  if (static_cast<size_t>(end - src) < prefix_) {
    return ReasonText("its %u-byte length runs past the end of the packet", prefix_);
  }
  uint32_t length = 0;
  std::memcpy(&length, src, prefix_);
  return ReasonText("value length %u runs past the end of the packet", length);
}

FLDCRepeat::FLDCRepeat(std::unique_ptr<FLDConv> element)
    : element_(std::move(element)),
      elementSize_(element_->FixedSize()),
      elementPacketSize_(static_cast<uint32_t>(element_->PacketSize(nullptr, 0))) {}

size_t FLDCRepeat::PacketSize(const uint8_t* value, uint32_t length) const {
  if (length < 4) return kUnencodable;
  uint32_t count = 0;
  std::memcpy(&count, value, 4);
  if (count > (length - 4) / elementSize_) return kUnencodable;
  return 4 + size_t{count} * elementPacketSize_;
}

uint8_t* FLDCRepeat::Write(uint8_t* dest, const uint8_t* value, uint32_t) const {
  uint32_t count = 0;
  std::memcpy(&count, value, 4);
  dest = count_.Write(dest, value, 4);
  const uint8_t* element = value + 4;
  for (uint32_t i = 0; i < count; ++i, element += elementSize_) {
    dest = element_->Write(dest, element, elementSize_);
  }
  return dest;
}

const uint8_t* FLDCRepeat::Read(const uint8_t* src, const uint8_t* end, PacketValue* value) const {
  PacketValue countValue;
  const uint8_t* p = count_.Read(src, end, &countValue);
  if (p == nullptr) return nullptr;
  uint32_t count = 0;
  std::memcpy(&count, countValue.data, 4);
  // Checked by division first, so a bogus count can neither overflow nor ask for memory.
  if (count > static_cast<size_t>(end - p) / elementPacketSize_) return nullptr;
  const uint64_t length = 4 + uint64_t{count} * elementSize_;
  if (length > UINT32_MAX) return nullptr;
  *value = PacketValue{src, static_cast<uint32_t>(length), 0};
  return p + size_t{count} * elementPacketSize_;
}

std::string FLDCRepeat::Overrun(const uint8_t* src, const uint8_t* end) const {
  if (end - src < 4) return "its 4-byte element count runs past the end of the packet";
  uint32_t count = 0;
  std::memcpy(&count, src, 4);
  if (count <= static_cast<size_t>(end - src - 4) / elementPacketSize_) {
    return ReasonText("%u elements are more than the engine holds in one value", count);
  }
  return ReasonText("%u elements of %u bytes run past the end of the packet", count,
                    elementPacketSize_);
}

void FLDCRepeat::Extract(const PacketValue& value, uint8_t* dest) const {
  uint32_t count = 0;
  std::memcpy(&count, value.data, 4);
  std::memcpy(dest, &count, 4);
  dest += 4;
  const uint8_t* src = value.data + 4;
  const uint8_t* end = src + size_t{count} * elementPacketSize_;
  for (uint32_t i = 0; i < count; ++i) {
    PacketValue element;
    src = element_->Read(src, end, &element);
    element_->Extract(element, dest);
    dest += elementSize_;
  }
}

namespace {

DBResult IntegerConverter(uint32_t width, std::unique_ptr<FLDConv>* out) {
  switch (width) {
    case 1:
      *out = std::make_unique<FLDCInt8>();
      break;
    case 2:
      *out = std::make_unique<FLDCInt16>();
      break;
    case 4:
      *out = std::make_unique<FLDCInt32>();
      break;
    case 8:
      *out = std::make_unique<FLDCInt64>();
      break;
    default:
      return DBERR_INVALIDFLDTYPE;
  }
  return DBERR_NONE;
}

DBResult ScalarConverter(uint32_t word, std::unique_ptr<FLDConv>* out) {
  const uint32_t width = FieldWidth(word);
  switch (FieldPacketType(word)) {
    case kPacketInt:
    case kPacketUInt:
      return IntegerConverter(width, out);
    case kPacketBool:
      if (width == 8) return DBERR_INVALIDFLDTYPE;
      return IntegerConverter(width, out);
    case kPacketDate:
    case kPacketTime:
      if (width != 4) return DBERR_INVALIDFLDTYPE;
      return IntegerConverter(width, out);
    case kPacketTimeStamp:
      if (width != 8) return DBERR_INVALIDFLDTYPE;
      *out = std::make_unique<FLDCFloat>();
      return DBERR_NONE;
    case kPacketFloat:
      if (width == 8) {
        *out = std::make_unique<FLDCFloat>();
      } else if (width == 10) {
        *out = std::make_unique<FLDCFloatIEEE>();
      } else {
        return DBERR_INVALIDFLDTYPE;
      }
      return DBERR_NONE;
    case kPacketBcd:
    case kPacketFmtBcd:
      *out = std::make_unique<FLDCBcd>(width);
      return DBERR_NONE;
    case kPacketNested:
      *out = std::make_unique<FLDCInt32>();  // the nested row count
      return DBERR_NONE;
    case kPacketSqlTimeStamp:
      if (width != 16) return DBERR_INVALIDFLDTYPE;
      *out = std::make_unique<FLDCSQLTIMESTAMP>();
      return DBERR_NONE;
    case kPacketAdt:
    case kPacketArray:
      *out = std::make_unique<FLDCFixed>(0);
      return DBERR_NONE;
    default:
      break;
  }
  if (!(word & kFieldVarying)) {
    *out = std::make_unique<FLDCFixed>(width);
    return DBERR_NONE;
  }
  switch (width) {
    case 1:
      *out = std::make_unique<FLDCVar8>();
      break;
    case 2:
      *out = std::make_unique<FLDCVar16>();
      break;
    case 4:
      *out = std::make_unique<FLDCVar32>();
      break;
    default:
      return DBERR_INVALIDFLDTYPE;
  }
  return DBERR_NONE;
}

DBResult Converter(uint32_t word, std::unique_ptr<FLDConv>* out) {
  if (!(word & kFieldArray)) return ScalarConverter(word, out);
  if (word & kFieldVarying) return DBERR_INVALIDFLDTYPE;
  std::unique_ptr<FLDConv> element;
  DBResult status = ScalarConverter(word & ~kFieldArray, &element);
  if (status != DBERR_NONE) return status;
  // An element of size 0 would let a tiny packet claim billions of elements.
  if (element->FixedSize() == 0 || element->PacketSize(nullptr, 0) == 0) {
    return DBERR_INVALIDFLDTYPE;
  }
  *out = std::make_unique<FLDCRepeat>(std::move(element));
  return DBERR_NONE;
}

}  // namespace

DBResult MakeConverter(uint32_t word, std::unique_ptr<FLDConv>* converter) {
  try {
    return Converter(word & ~kFieldRoundTrip, converter);
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
}

}  // namespace dspacket
