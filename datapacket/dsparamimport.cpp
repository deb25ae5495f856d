// Packet parameters back into table state: field parameters into the column's descriptor,
// table parameters into the change log, counter, indexes, locale and switches of the table.
#include <cstring>
#include <vector>

#include "datapacket/dsparams.h"
#include "datapacket/fieldtypes.h"

namespace dspacket {

using namespace dsengine;

namespace {

uint32_t GetLE(const uint8_t* p, uint32_t bytes) {
  uint32_t v = 0;
  for (uint32_t i = 0; i < bytes && i < 4; ++i) v |= uint32_t(p[i]) << (8 * i);
  return v;
}

// A "2- or 4-byte integer" parameter: 2-byte values when the width is 2, else 4-byte values
// (1-byte values are taken as they are). False when the value is shorter than that.
bool IntValue(const ParamValue& p, uint32_t* out) {
  const uint32_t width = FieldWidth(p.fieldType);
  const uint32_t bytes = width == 1 ? 1 : width == 2 ? 2 : 4;
  if (p.length < bytes) return false;
  *out = GetLE(p.data, bytes);
  return true;
}

// The text of a string parameter: after its length prefix (varying) up to the first zero.
bool StringValue(const ParamValue& p, std::string_view* out) {
  const uint8_t* text = p.data;
  uint32_t n = p.length;
  if (p.fieldType & kFieldVarying) {
    const uint32_t prefix = FieldWidth(p.fieldType);
    if (prefix != 1 && prefix != 2 && prefix != 4) return false;
    if (p.length < prefix) return false;
    n = GetLE(p.data, prefix);
    if (n > p.length - prefix) return false;
    text += prefix;
  }
  const void* zero = n ? std::memchr(text, 0, n) : nullptr;
  if (zero) n = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - text);
  *out = std::string_view(reinterpret_cast<const char*>(text), n);
  return true;
}

// An order array: 32-bit count, elements of 2 bytes (16-bit) or 4 bytes (32-bit), each a field
// number with the descending and case-insensitive flags. 9986 without the array flag, for
// another element width, more than 16 elements or a value shorter than its count says.
DBResult OrderValue(const ParamValue& p, IndexDescriptor* d) {
  if (!(p.fieldType & kFieldArray) || p.length < 4) return DBERR_INVALIDPARAM;
  const uint32_t width = FieldWidth(p.fieldType);
  if (width != 2 && width != 4) return DBERR_INVALIDPARAM;
  const uint32_t count = GetLE(p.data, 4);
  if (count > kMaxKeyFields || count > (p.length - 4) / width) return DBERR_INVALIDPARAM;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t e = GetLE(p.data + 4 + i * width, width);
    d->fields[i] = e & ~(kOrderDescending | kOrderCaseInsensitive);
    d->descending[i] = (e & kOrderDescending) != 0;
    d->caseInsensitive[i] = (e & kOrderCaseInsensitive) != 0;
  }
  d->fieldCount = count;
  return DBERR_NONE;
}

DBResult ApplyChangeLog(const ParamValue& p, DSBASE& table) {
  if (!(p.fieldType & kFieldArray) || FieldWidth(p.fieldType) != 4 || p.length < 4)
    return DBERR_INVALIDPARAM;
  const uint32_t count = GetLE(p.data, 4);
  if (count < 3) return DBERR_INVALIDPARAM;
  const uint32_t entries = count / 3;
  if (entries > (p.length - 4) / 12) return DBERR_INVALIDPARAM;
  ChangeLog& log = table.MutableLog();
  log.Clear();
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t* e = p.data + 4 + i * 12;
    if (DBResult st = log.Append(GetLE(e, 4), GetLE(e + 4, 4), GetLE(e + 8, 4) & 0xFF)) return st;
  }
  return DBERR_NONE;
}

bool SameKeyFields(const IndexDescriptor& a, const IndexDescriptor& b) {
  if (a.fieldCount != b.fieldCount) return false;
  for (uint32_t i = 0; i < a.fieldCount; ++i) {
    if (a.fields[i] != b.fields[i] || (a.descending[i] != 0) != (b.descending[i] != 0) ||
        (a.caseInsensitive[i] != 0) != (b.caseInsensitive[i] != 0))
      return false;
  }
  return true;
}

// "PRIMARY_KEY" (kind 2) and "UNIQUE_KEY" (kind 1).
DBResult ApplyKey(const ParamValue& p, DSBASE& table, KnownParam which) {
  IndexDescriptor key{};
  if (DBResult st = OrderValue(p, &key)) return st;
  const uint32_t kind = which == KnownParam::kPrimaryKey ? 2 : 1;
  DSIDX* def = table.DefaultIndex();
  IndexDescriptor d = def->Descriptor();
  if (SameKeyFields(d, key)) {
    d.unique = kind;
    return def->SetDescriptor(d);
  }
  std::strncpy(key.name, KnownParamName(which), sizeof key.name - 1);
  key.unique = kind;
  if (DBResult st = table.CreateIndex(&key)) return st;
  if (kind != 2 || !def->HasKeys() || def->IsUnique()) return DBERR_NONE;
  for (uint32_t i = 0; i < key.fieldCount && d.fieldCount < kMaxKeyFields; ++i) {
    d.fields[d.fieldCount] = key.fields[i];
    d.descending[d.fieldCount] = key.descending[i];
    d.caseInsensitive[d.fieldCount] = key.caseInsensitive[i];
    ++d.fieldCount;
  }
  d.unique = kind;
  return def->SetDescriptor(d);
}

}  // namespace

DBResult ApplyFieldParameter(const ParamValue& p, FieldDescriptor* field, bool* keep) {
  *keep = false;
  uint32_t value = 0;
  switch (KnownParamOf(p.name)) {
    case KnownParam::kSubType: {
      std::string_view name;
      if (FieldPacketType(p.fieldType) != kPacketString || !StringValue(p, &name))
        return DBERR_INVALIDPARAM;
      field->subType = SubTypeOfName(name);
      if (field->subType == fldstAUTOINC) field->attributes |= fldAttrREADONLY;
      *keep = field->subType == kSubTypeUnknown;
      return DBERR_NONE;
    }
    case KnownParam::kDecimals:
      if (!IntValue(p, &value)) return DBERR_INVALIDPARAM;
      field->units2 = value;
      return DBERR_NONE;
    case KnownParam::kWidth:
    case KnownParam::kElements:
      if (!IntValue(p, &value)) return DBERR_INVALIDPARAM;
      field->units1 = value;
      return DBERR_NONE;
    case KnownParam::kCalculated:
      if (!IntValue(p, &value)) return DBERR_INVALIDPARAM;
      field->calculated = value;
      return DBERR_NONE;
    default:
      *keep = true;
      return DBERR_NONE;
  }
}

DBResult ApplyTableParameter(const ParamValue& p, DSBASE& table, bool* keep) {
  *keep = true;
  uint32_t value = 0;
  const KnownParam which = KnownParamOf(p.name);
  switch (which) {
    case KnownParam::kChangeLog:
      *keep = false;
      return ApplyChangeLog(p, table);
    case KnownParam::kAutoIncValue:
      *keep = false;
      if (table.AutoIncField() != 0 && IntValue(p, &value)) table.SetAutoIncValue(value);
      return DBERR_NONE;
    case KnownParam::kDefaultOrder: {
      IndexDescriptor d{};
      if (DBResult st = OrderValue(p, &d)) return st;
      std::memcpy(d.name, kDefaultIndexName, sizeof kDefaultIndexName);
      return table.DefaultIndex()->SetDescriptor(d);
    }
    case KnownParam::kPrimaryKey:
    case KnownParam::kUniqueKey:
      return ApplyKey(p, table, which);
    case KnownParam::kLcid:
      if (IntValue(p, &value)) table.SetLocale(value);
      return DBERR_NONE;
    case KnownParam::kDisableDeletes:
      return table.SetProp(dspropDISABLEDELETES, 1);
    case KnownParam::kDisableInserts:
      return table.SetProp(dspropDISABLEINSERTS, 1);
    case KnownParam::kDisableEdits:
      return table.SetProp(dspropDISABLEEDITS, 1);
    case KnownParam::kDatasetDelta:
    case KnownParam::kDelta:
      table.SetDeltaMode(true);
      return DBERR_NONE;
    case KnownParam::kReadOnly:
      if (IntValue(p, &value)) table.SetProp(dspropREADONLY, value);
      return DBERR_NONE;
    case KnownParam::kUpdateMode:
      if (IntValue(p, &value)) table.SetProp(dspropUPDATEMODE, value);
      return DBERR_NONE;
    case KnownParam::kMdSemantics:
      if (IntValue(p, &value))
        table.SetTableOptions((value & 1 ? 4u : 0u) | (value & 2 ? 8u : 0u) |
                              (value & 4 ? 0x20u : 0u));
      return DBERR_NONE;
    case KnownParam::kMdFieldLinks:
    case KnownParam::kBdeDomainCl:
    case KnownParam::kBdeRecordCl:
    case KnownParam::kBdeDefaultCl:
      *keep = false;  // nested-table links and constraint definitions: nothing to apply here
      return DBERR_NONE;
    default:
      return DBERR_NONE;
  }
}

bool ChangeLogFitsStore(const DSBASE& table) {
  const uint32_t next = table.NextRecordNumber();
  const ChangeLog& log = table.Log();
  for (size_t i = 0; i < log.Size(); ++i) {
    const ChangeLogEntry& e = log.At(i);
    if (e.kind == kChangeNone) continue;  // a dropped entry names no version
    // Changes inside nested tables (64) cannot come with a table this engine loads, and other
    // kinds mean nothing: undo would stop at them with their record numbers going stale.
    if (e.kind != kChangeInsert && e.kind != kChangeDelete && e.kind != kChangeModify) return false;
    if (e.record == 0 || e.record >= next) return false;  // the change index lists it
    if (e.kind == kChangeModify && (e.related == 0 || e.related >= e.record)) return false;
  }
  // Undo walks the log back from its end: each step must find the versions in the states the
  // change left them in (an insert or a modification visible, a delete deleted, a replaced
  // version superseded), or undoing it would count records twice or put hidden ones back.
  std::vector<uint8_t> attr(next);
  for (uint32_t r = 1; r < next; ++r) attr[r] = table.Attribute(r);
  for (size_t i = log.Size(); i-- > 0;) {
    const ChangeLogEntry& e = log.At(i);
    uint8_t& a = attr[e.record];
    switch (e.kind) {
      case kChangeNone:
        continue;
      case kChangeInsert:
        if (a & kRecInvisible) return false;
        a = dsRecHidden;
        break;
      case kChangeDelete:
        if (!(a & dsRecDeleted) || (a & (dsRecSuperseded | dsRecHidden))) return false;
        a &= uint8_t(~dsRecDeleted);
        break;
      case kChangeModify: {
        uint8_t& old = attr[e.related];
        if ((a & kRecInvisible) || !(old & dsRecSuperseded) || (old & (dsRecDeleted | dsRecHidden)))
          return false;
        old &= uint8_t(~dsRecSuperseded);
        a = dsRecHidden;
        break;
      }
      default:
        return false;  // refused above
    }
  }
  return true;
}

}  // namespace dspacket
