// Known parameter and sub-type names, and the field and table parameters the export writes.
#include "datapacket/dsparams.h"

#include <cstring>
#include <vector>

#include "platform/asciitext.h"

namespace dspacket {

using namespace dsengine;

namespace {

constexpr const char* kParamNames[] = {
    "UNIQUE_KEY",    "DEFAULT_ORDER",   "CHANGE_LOG",      "SERVER_COL",
    "CONSTRAINTS",   "DATASET_CONTEXT", "DATASET_DELTA",   "READONLY",
    "SUBTYPE",       "DECIMALS",        "WIDTH",           "LCID",
    "BDEDOMAIN_X",   "BDERECORD_X",     "BDEDEFAULT_X",    "AUTOINCVALUE",
    "ELEMENTS",      "TABLENAME",       "MD_FIELDLINKS",   "TYPENAME",
    "UPDATEMODE",    "MD_SEMANTICS",    "CALCULATED",      "BDEDOMAIN_CL",
    "BDERECORD_CL",  "BDEDEFAULT_CL",   "DELTA",           "PRIMARY_KEY",
    "MINVALUE",      "MAXVALUE",        "DISABLE_DELETES", "DISABLE_INSERTS",
    "DISABLE_EDITS",
};
constexpr uint32_t kParamCount = sizeof kParamNames / sizeof kParamNames[0];
static_assert(kParamCount == static_cast<uint32_t>(KnownParam::kDisableEdits));

struct SubTypeNameEntry {
  const char* name;
  uint32_t subType;
};
constexpr SubTypeNameEntry kSubTypeNames[] = {
    {"Text", fldstMEMO},
    {"Binary", fldstBINARY},
    {"Formatted", fldstFMTMEMO},
    {"Ole", fldstOLEOBJ},
    {"Graphics", fldstGRAPHIC},
    {"dBASEOle", fldstDBSOLEOBJ},
    {"TypedBinary", fldstTYPEDBINARY},
    {"Money", fldstMONEY},
    {"Autoinc", fldstAUTOINC},
    {"AccessOle", fldstACCOLEOBJ},
    {"HMemo", fldstHMEMO},
    {"HBinary", fldstHBINARY},
    {"ADTNestedTable", fldstADTNESTEDTABLE},
    {"FixedChar", fldstFIXED},
    {"Reference", fldstREFERENCE},
    {"BFile", fldstBFILE},
    {"ADTDate", fldstADTDATE},
    {"Guid", fldstGUID},
};

void PutLE(std::vector<uint8_t>& out, uint32_t value, uint32_t bytes) {
  for (uint32_t i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

DBResult Param(TDATAPACKET_WRITE& w, bool table, KnownParam p, uint32_t word,
               const std::vector<uint8_t>& value) {
  return w.AppendParameter(table, KnownParamName(p), word, static_cast<uint32_t>(value.size()),
                           value.data());
}

// WIDTH goes with strings, varying bytes, wide strings, BLOBs and packed decimals.
bool TakesWidth(uint32_t type) {
  return type == fldZSTRING || type == fldVARBYTES || type == fldUNICODE || type == fldBLOB ||
         type == fldFMTBCD || type == fldBCD;
}

// An order array of the index's key fields, 16-bit elements, with or without the flags.
std::vector<uint8_t> OrderArray(const IndexDescriptor& d, bool withFlags) {
  const uint32_t n = d.fieldCount < kMaxKeyFields ? d.fieldCount : kMaxKeyFields;
  std::vector<uint8_t> v;
  PutLE(v, n, 4);
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t e = d.fields[i];
    if (withFlags && d.descending[i]) e += kOrderDescending;
    if (withFlags && d.caseInsensitive[i]) e += kOrderCaseInsensitive;
    PutLE(v, e, 2);
  }
  return v;
}

DBResult WriteKept(TDATAPACKET_WRITE& w, const DSBASE& table, uint32_t field) {
  for (const KeptParameter& k : table.KeptParameters()) {
    if (k.field != field) continue;
    if (DBResult st = w.AppendParameter(field == 0, k.name.c_str(), k.fieldType,
                                        static_cast<uint32_t>(k.value.size()), k.value.data()))
      return st;
  }
  return DBERR_NONE;
}

DBResult WriteKeyParameters(TDATAPACKET_WRITE& w, const DSBASE& table) {
  const DSIDX* index = table.DefaultIndex();
  if (index == nullptr || !index->Redefined() || !index->HasKeys()) return DBERR_NONE;
  const IndexDescriptor& d = index->Descriptor();
  if (DBResult st = Param(w, true, KnownParam::kDefaultOrder, kWordOrderArray, OrderArray(d, true)))
    return st;
  if (d.unique == 0) return DBERR_NONE;
  const KnownParam key = d.unique == 2 ? KnownParam::kPrimaryKey : KnownParam::kUniqueKey;
  return Param(w, true, key, kWordOrderArray, OrderArray(d, false));
}

}  // namespace

KnownParam KnownParamOf(std::string_view name) {
  for (uint32_t i = 0; i < kParamCount; ++i)
    if (platform::EqualsAsciiNoCase(name, kParamNames[i])) return static_cast<KnownParam>(i + 1);
  return KnownParam::kUnknown;
}

const char* KnownParamName(KnownParam param) {
  const uint32_t i = static_cast<uint32_t>(param);
  return i >= 1 && i <= kParamCount ? kParamNames[i - 1] : "";
}

uint32_t SubTypeOfName(std::string_view name) {
  for (const SubTypeNameEntry& e : kSubTypeNames)
    if (platform::EqualsAsciiNoCase(name, e.name)) return e.subType;
  return kSubTypeUnknown;
}

const char* SubTypeName(uint32_t subType) {
  for (const SubTypeNameEntry& e : kSubTypeNames)
    if (e.subType == subType) return e.name;
  return nullptr;
}

DBResult WriteFieldParameters(TDATAPACKET_WRITE& w, const DSBASE& table, uint32_t field) {
  const FieldDescriptor& f = table.Field(field);
  if (const char* name = SubTypeName(f.subType)) {
    const uint32_t n = static_cast<uint32_t>(std::strlen(name)) + 1;
    std::vector<uint8_t> v;
    PutLE(v, n, 2);
    v.insert(v.end(), name, name + n);  // with its terminating zero
    if (DBResult st = Param(w, false, KnownParam::kSubType, kWordSubType, v)) return st;
  }
  std::vector<uint8_t> v;
  if (f.units2 != 0 && f.type != fldADT && f.type != fldARRAY) {
    PutLE(v, f.units2, 2);
    if (DBResult st = Param(w, false, KnownParam::kDecimals, kWordUInt16, v)) return st;
  }
  if (f.units1 != 0 && TakesWidth(f.type)) {
    v.clear();
    PutLE(v, f.units1, 2);
    if (DBResult st = Param(w, false, KnownParam::kWidth, kWordUInt16, v)) return st;
  }
  if (f.calculated != 0 && !(f.attributes & fldAttrLINK)) {
    v.clear();
    PutLE(v, 1, 2);
    if (DBResult st = Param(w, false, KnownParam::kCalculated, kWordUInt16, v)) return st;
  }
  return WriteKept(w, table, field);
}

DBResult WriteTableParameters(TDATAPACKET_WRITE& w, const DSBASE& table) {
  if (!table.DeltaMode()) {
    if (DBResult st = WriteKeyParameters(w, table)) return st;
    const ChangeLog& log = table.Log();
    if (!log.Empty()) {
      std::vector<uint8_t> v;
      v.reserve(4 + log.Size() * 12);
      PutLE(v, static_cast<uint32_t>(log.Size() * 3), 4);
      for (size_t i = 0; i < log.Size(); ++i) {
        const ChangeLogEntry& e = log.At(i);
        PutLE(v, e.record, 4);
        PutLE(v, e.related, 4);
        PutLE(v, e.kind, 4);
      }
      if (DBResult st = Param(w, true, KnownParam::kChangeLog, kWordChangeLog, v)) return st;
    }
    if (table.AutoIncField() != 0) {
      std::vector<uint8_t> v;
      PutLE(v, table.AutoIncValue(), 4);
      if (DBResult st = Param(w, true, KnownParam::kAutoIncValue, kWordAutoIncValue, v)) return st;
    }
  }
  if (DBResult st = WriteKept(w, table, 0)) return st;
  return w.AppendParameter(true, nullptr, 0, 0, nullptr);
}

}  // namespace dspacket
