// Fuzz target for the filter parser and the filter program: any text either yields a canonical
// expression that the engine can build and run, or a failure message; it never crashes, hangs or
// overflows. The block's header must describe the block.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tableengine/DBCommon.h"
#include "tableengine/fielddesc.h"
#include "tableengine/filterprog.h"

namespace {

using namespace dsengine;

struct Column {
  const char* name;
  uint32_t type, subType, length;
  db::TFieldType ft;
  int size;
  db::TFieldKind kind;
};

// The lyrics table plus a few fields of other types and kinds.
constexpr Column kColumns[] = {
    {"Id", fldINT32, fldstAUTOINC, 4, db::ftAutoInc, 0, db::fkData},
    {"Artist", fldZSTRING, 0, 181, db::ftString, 180, db::fkData},
    {"Album", fldZSTRING, 0, 181, db::ftString, 180, db::fkData},
    {"Title", fldZSTRING, 0, 181, db::ftString, 180, db::fkData},
    {"Lyric", fldBLOB, fldstMEMO, 4, db::ftMemo, 0, db::fkData},
    {"SongFileName", fldZSTRING, 0, 501, db::ftString, 500, db::fkData},
    {"Flag", fldBOOL, 0, 2, db::ftBoolean, 0, db::fkData},
    {"Price", fldFLOAT, 0, 8, db::ftFloat, 0, db::fkData},
    {"Born", fldDATE, 0, 4, db::ftDate, 0, db::fkData},
    {"Fixed", fldZSTRING, fldstFIXED, 6, db::ftFixedChar, 5, db::fkData},
    {"Calc", fldZSTRING, 0, 11, db::ftString, 10, db::fkCalculated},
};

struct Fixture {
  std::vector<FieldDescriptor> fields;
  std::vector<db::TExprField> exprFields;
  std::vector<std::vector<uint8_t>> records;
  Fixture() {
    uint32_t offset = 0;
    for (const Column& c : kColumns) {
      FieldDescriptor d{};
      std::strncpy(d.name, c.name, sizeof d.name - 1);
      d.type = c.type, d.subType = c.subType, d.length = c.length, d.offset = offset;
      d.fieldNumber = static_cast<uint16_t>(fields.size() + 1);
      offset += c.length;
      fields.push_back(d);
      exprFields.push_back({c.name, "", d.fieldNumber, c.ft, c.size, c.kind});
    }
    for (FieldDescriptor& d : fields) d.nullOffset = offset++;
    // One record with values, one with every field null.
    std::vector<uint8_t> full(offset, 0), empty(offset, 0);
    for (const FieldDescriptor& d : fields) empty[d.nullOffset] = kBlankUnassigned;
    std::memcpy(&full[fields[1].offset], "Beatles", 8);
    std::memcpy(&full[fields[3].offset], "It's a love song", 17);
    int32_t id = 7, blob = 1, day = 730120;
    std::memcpy(&full[fields[0].offset], &id, 4);
    std::memcpy(&full[fields[4].offset], &blob, 4);
    std::memcpy(&full[fields[8].offset], &day, 4);
    records = {full, empty};
  }
};

class Blobs : public FilterBlobSource {
 public:
  bool GetBlob(uint16_t, int32_t handle, const char*& data, size_t& length) override {
    static const char kText[] = "All you need is love, love; love is all you need";
    if (handle != 1) return false;
    data = kText;
    length = sizeof kText - 1;
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Fixture fixture;
  static const db::TExprFieldList list("cdsMain", fixture.exprFields);
  if (size < 1) return 0;
  // The first byte picks the options; the rest is the filter text.
  db::TFilterOptions filterOptions = data[0] & 3;
  db::TParserOptions parserOptions = (data[0] & 4) ? 0 : db::poExtendedSyntax;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  db::TExprParser parser(list, text, filterOptions, parserOptions);
  if (!parser.Ok()) {
    if (parser.Error().message.empty() || !parser.Block().empty()) __builtin_trap();
    return 0;
  }
  const std::vector<uint8_t>& block = parser.Block();
  if (block.size() < 10 || static_cast<size_t>(block[2] | block[3] << 8) != block.size())
    __builtin_trap();
  FilterProgram program;
  DBResult status =
      program.Build(block.data(), block.size(), fixture.fields.data(), fixture.fields.size(), 0);
  if (status == DBERR_INVALIDPARAM) __builtin_trap();  // the parser's blocks are well formed
  if (status != DBERR_NONE) return 0;
  Blobs blobs;
  for (const auto& record : fixture.records) program.Evaluate(record.data(), &blobs);
  return 0;
}
