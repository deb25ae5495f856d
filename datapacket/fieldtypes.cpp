// Engine type code <-> field type word.
#include "datapacket/fieldtypes.h"

namespace dspacket {

using namespace dsengine;

namespace {

// Strings, varying bytes and wide strings: a 2-byte length prefix once the record length
// no longer fits in one byte with room for the terminator.
uint32_t VaryingWord(uint32_t packetType, uint32_t length) {
  return MakeFieldTypeWord(packetType, length > 254 ? 2 : 1, kFieldVarying);
}

}  // namespace

uint32_t FieldTypeWordOf(uint32_t engineType, uint32_t length, uint32_t children) {
  switch (engineType) {
    case fldZSTRING:
      return VaryingWord(kPacketString, length);
    case fldDATE:
      return 0x00060004;
    case fldBLOB:
      return 0x004B0004;
    case fldBOOL:
      return 0x00030002;
    case fldINT16:
      return 0x00010002;
    case fldINT32:
      return 0x00010004;
    case fldFLOAT:
      return 0x00040008;
    case fldBCD:
      return MakeFieldTypeWord(kPacketBcd, length);
    case fldBYTES:
      return MakeFieldTypeWord(kPacketBytes, length);
    case fldTIME:
      return 0x00070004;
    case fldTIMESTAMP:
      return 0x00080008;
    case fldUINT16:
      return 0x00020002;
    case fldUINT32:
      return 0x00020004;
    case fldFLOATIEEE:
      return 0x0004000A;
    case fldVARBYTES:
      return VaryingWord(kPacketBytes, length);
    case fldINT64:
      return 0x00010008;
    case fldUINT64:
      return 0x00020008;
    case fldADT:
      return 0x010C0000 + (children & kFieldWidthMask);
    case fldARRAY:
      return 0x030D0000 + (children & kFieldWidthMask);
    case fldREF:
      return 0x010F0000 + (children & kFieldWidthMask);
    case fldTABLE:
      return 0x050E0000 + (children & kFieldWidthMask);
    case fldDATETIME:
      return 0x00110010;
    case fldFMTBCD:
      return MakeFieldTypeWord(kPacketFmtBcd, length);
    case fldINT8:
      return 0x00010001;
    case fldUINT8:
      return 0x00020001;
    case fldBOOL8:
      return 0x00030001;
    case fldBOOL32:
      return 0x00030004;
    case fldUNICODE:
      return VaryingWord(kPacketWideString, length);
    default:
      return 0;
  }
}

namespace {

uint32_t EngineTypeOf(uint32_t packetType, uint32_t width, bool varying) {
  auto byWidth = [width](uint32_t w1, uint32_t w2, uint32_t w4, uint32_t w8) -> uint32_t {
    switch (width) {
      case 1:
        return w1;
      case 2:
        return w2;
      case 4:
        return w4;
      case 8:
        return w8;
      default:
        return fldUNKNOWN;
    }
  };
  switch (packetType) {
    case kPacketInt:
      return byWidth(fldINT8, fldINT16, fldINT32, fldINT64);
    case kPacketUInt:
      return byWidth(fldUINT8, fldUINT16, fldUINT32, fldUINT64);
    case kPacketBool:
      return byWidth(fldBOOL8, fldBOOL, fldBOOL32, fldUNKNOWN);
    case kPacketFloat:
      return width == 8 ? fldFLOAT : width == 10 ? fldFLOATIEEE : fldUNKNOWN;
    case kPacketBcd:
      return fldBCD;
    case kPacketDate:
      return fldDATE;
    case kPacketTime:
      return fldTIME;
    case kPacketTimeStamp:
      return fldTIMESTAMP;
    case kPacketString:
      return fldZSTRING;
    case kPacketWideString:
      return fldUNICODE;
    case kPacketBytes:
    case kPacketBytes2:
      if (!varying) return fldBYTES;
      if (width == 4) return fldBLOB;
      return width == 1 || width == 2 ? fldVARBYTES : fldUNKNOWN;
    case kPacketAdt:
      return fldADT;
    case kPacketArray:
      return fldARRAY;
    case kPacketNested:
      return fldTABLE;
    case kPacketSqlTimeStamp:
      return fldDATETIME;
    case kPacketFmtBcd:
      return fldFMTBCD;
    default:
      return fldUNKNOWN;  // 0, 15 (reference) and codes above 18
  }
}

}  // namespace

DBResult EngineShapeOf(uint32_t word, EngineFieldShape* shape) {
  *shape = EngineFieldShape{};
  if (word & kFieldArray) return DBERR_INVALIDFLDTYPE;
  const uint32_t width = FieldWidth(word);
  const bool varying = (word & kFieldVarying) != 0;
  shape->type = EngineTypeOf(FieldPacketType(word), width, varying);
  if (shape->type == fldADT || shape->type == fldARRAY || shape->type == fldTABLE) {
    shape->units1 = width;
  } else if (shape->type != fldUNKNOWN && !varying) {
    shape->length = width;
  }
  return DBERR_NONE;
}

}  // namespace dspacket
