// Packet parameters back into table state: field parameters into the column's descriptor,
// table parameters into the change log, counter, indexes, locale and switches of the table.
// Every refusal records its reason, naming the parameter (and the field) it came from.
#include <cstring>
#include <string>
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
// (1-byte values are taken as they are).
uint32_t IntBytes(const ParamValue& p) {
  const uint32_t width = FieldWidth(p.fieldType);
  return width == 1 ? 1 : width == 2 ? 2 : 4;
}
// False when the value is shorter than IntBytes.
bool IntValue(const ParamValue& p, uint32_t* out) {
  const uint32_t bytes = IntBytes(p);
  if (p.length < bytes) return false;
  *out = GetLE(p.data, bytes);
  return true;
}

// The key fields of an order, for reasons: "2, 5".
std::string FieldList(const IndexDescriptor& d) {
  std::string list;
  for (uint32_t i = 0; i < d.fieldCount; ++i)
    list += (i == 0 ? "" : ", ") + std::to_string(d.fields[i]);
  return list;
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
// number with the descending and case-insensitive flags. DBERR_INVALIDPARAM without the array flag,
// for another element width, more than 16 elements or a value shorter than its count says.
DBResult OrderValue(const ParamValue& p, IndexDescriptor* d, PacketFault* fault) {
  if (!(p.fieldType & kFieldArray) || p.length < 4) {
    return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                         "table parameter %s: type word 0x%08X with %u bytes is no order array",
                         p.name, p.fieldType, p.length);
  }
  const uint32_t width = FieldWidth(p.fieldType);
  if (width != 2 && width != 4) {
    return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                         "table parameter %s: elements of %u bytes (2 or 4 expected)", p.name,
                         width);
  }
  const uint32_t count = GetLE(p.data, 4);
  if (count > kMaxKeyFields) {
    return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                         "table parameter %s: %u key fields (at most %u)", p.name, count,
                         kMaxKeyFields);
  }
  if (count > (p.length - 4) / width) {
    return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                         "table parameter %s: %u elements of %u bytes are more than its %u bytes "
                         "hold",
                         p.name, count, width, p.length);
  }
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t e = GetLE(p.data + 4 + i * width, width);
    d->fields[i] = e & ~(kOrderDescending | kOrderCaseInsensitive);
    d->descending[i] = (e & kOrderDescending) != 0;
    d->caseInsensitive[i] = (e & kOrderCaseInsensitive) != 0;
  }
  d->fieldCount = count;
  return DBERR_NONE;
}

DBResult ApplyChangeLog(const ParamValue& p, DSBASE& table, PacketFault* fault) {
  if (!(p.fieldType & kFieldArray) || FieldWidth(p.fieldType) != 4 || p.length < 4) {
    return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                         "table parameter %s: type word 0x%08X with %u bytes is no array of "
                         "32-bit values",
                         p.name, p.fieldType, p.length);
  }
  const uint32_t count = GetLE(p.data, 4);
  if (count < 3) {
    return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                         "table parameter %s: %u values, fewer than one entry's 3", p.name, count);
  }
  const uint32_t entries = count / 3;
  if (entries > (p.length - 4) / 12) {
    return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                         "table parameter %s: %u values are more than its %u bytes hold", p.name,
                         count, p.length);
  }
  ChangeLog& log = table.MutableLog();
  log.Clear();
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t* e = p.data + 4 + i * 12;
    if (DBResult st = log.Append(GetLE(e, 4), GetLE(e + 4, 4), GetLE(e + 8, 4) & 0xFF)) {
      return PACKET_REFUSE(fault, st, "table parameter %s: the log took no entry %u", p.name,
                           i + 1);
    }
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
DBResult ApplyKey(const ParamValue& p, DSBASE& table, KnownParam which, PacketFault* fault) {
  IndexDescriptor key{};
  if (DBResult st = OrderValue(p, &key, fault)) return st;
  const uint32_t kind = which == KnownParam::kPrimaryKey ? 2 : 1;
  DSIDX* def = table.DefaultIndex();
  IndexDescriptor d = def->Descriptor();
  if (SameKeyFields(d, key)) {
    d.unique = kind;
    if (DBResult st = def->SetDescriptor(d)) {
      return PACKET_REFUSE(fault, st,
                           "table parameter %s: the default order on fields %s cannot be made "
                           "unique",
                           p.name, FieldList(d).c_str());
    }
    return DBERR_NONE;
  }
  std::strncpy(key.name, KnownParamName(which), sizeof key.name - 1);
  key.unique = kind;
  if (DBResult st = table.CreateIndex(&key)) {
    return PACKET_REFUSE(fault, st,
                         "table parameter %s: the index on fields %s was refused (the table has "
                         "%u fields)",
                         p.name, FieldList(key).c_str(), table.FieldCount());
  }
  if (kind != 2 || !def->HasKeys() || def->IsUnique()) return DBERR_NONE;
  for (uint32_t i = 0; i < key.fieldCount && d.fieldCount < kMaxKeyFields; ++i) {
    d.fields[d.fieldCount] = key.fields[i];
    d.descending[d.fieldCount] = key.descending[i];
    d.caseInsensitive[d.fieldCount] = key.caseInsensitive[i];
    ++d.fieldCount;
  }
  d.unique = kind;
  if (DBResult st = def->SetDescriptor(d)) {
    return PACKET_REFUSE(fault, st,
                         "table parameter %s: the default order extended to fields %s was refused",
                         p.name, FieldList(d).c_str());
  }
  return DBERR_NONE;
}

}  // namespace

DBResult ApplyFieldParameter(const ParamValue& p, FieldDescriptor* field, bool* keep,
                             PacketFault* fault) {
  *keep = false;
  uint32_t value = 0;
  const KnownParam which = KnownParamOf(p.name);
  switch (which) {
    case KnownParam::kSubType: {
      std::string_view name;
      if (FieldPacketType(p.fieldType) != kPacketString || !StringValue(p, &name)) {
        return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                             "field %s, parameter %s: type word 0x%08X with %u bytes is no "
                             "readable string",
                             field->name, p.name, p.fieldType, p.length);
      }
      field->subType = SubTypeOfName(name);
      if (field->subType == fldstAUTOINC) field->attributes |= fldAttrREADONLY;
      *keep = field->subType == kSubTypeUnknown;
      return DBERR_NONE;
    }
    case KnownParam::kDecimals:
    case KnownParam::kWidth:
    case KnownParam::kElements:
    case KnownParam::kCalculated:
      if (!IntValue(p, &value)) {
        return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                             "field %s, parameter %s: %u bytes are too few for its %u-byte "
                             "integer",
                             field->name, p.name, p.length, IntBytes(p));
      }
      if (which == KnownParam::kDecimals) field->units2 = value;
      if (which == KnownParam::kWidth || which == KnownParam::kElements) field->units1 = value;
      if (which == KnownParam::kCalculated) field->calculated = value;
      return DBERR_NONE;
    default:
      *keep = true;
      return DBERR_NONE;
  }
}

DBResult ApplyTableParameter(const ParamValue& p, DSBASE& table, bool* keep, PacketFault* fault) {
  *keep = true;
  uint32_t value = 0;
  const KnownParam which = KnownParamOf(p.name);
  switch (which) {
    case KnownParam::kChangeLog:
      *keep = false;
      return ApplyChangeLog(p, table, fault);
    case KnownParam::kAutoIncValue:
      *keep = false;
      if (table.AutoIncField() != 0 && IntValue(p, &value)) table.SetAutoIncValue(value);
      return DBERR_NONE;
    case KnownParam::kDefaultOrder: {
      IndexDescriptor d{};
      if (DBResult st = OrderValue(p, &d, fault)) return st;
      std::memcpy(d.name, kDefaultIndexName, sizeof kDefaultIndexName);
      if (DBResult st = table.DefaultIndex()->SetDescriptor(d)) {
        return PACKET_REFUSE(fault, st,
                             "table parameter %s: the order on fields %s was refused (the table "
                             "has %u fields)",
                             p.name, FieldList(d).c_str(), table.FieldCount());
      }
      return DBERR_NONE;
    }
    case KnownParam::kPrimaryKey:
    case KnownParam::kUniqueKey:
      return ApplyKey(p, table, which, fault);
    case KnownParam::kLcid:
      if (IntValue(p, &value)) table.SetLocale(value);
      return DBERR_NONE;
    case KnownParam::kDisableDeletes:
    case KnownParam::kDisableInserts:
    case KnownParam::kDisableEdits: {
      const uint32_t prop = which == KnownParam::kDisableDeletes   ? dspropDISABLEDELETES
                            : which == KnownParam::kDisableInserts ? dspropDISABLEINSERTS
                                                                   : dspropDISABLEEDITS;
      if (DBResult st = table.SetProp(prop, 1)) {
        return PACKET_REFUSE(fault, st, "table parameter %s: the table refused the switch", p.name);
      }
      return DBERR_NONE;
    }
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

DBResult CheckChangeLog(const DSBASE& table, PacketFault* fault) {
  const uint32_t next = table.NextRecordNumber();
  const ChangeLog& log = table.Log();
  for (size_t i = 0; i < log.Size(); ++i) {
    const ChangeLogEntry& e = log.At(i);
    const Ull number = i + 1;
    if (e.kind == kChangeNone) continue;  // a dropped entry names no version
    // Changes inside nested tables (64) cannot come with a table this engine loads, and other
    // kinds mean nothing: undo would stop at them with their record numbers going stale.
    if (e.kind != kChangeInsert && e.kind != kChangeDelete && e.kind != kChangeModify) {
      return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                           "change log entry %llu (record %u): kind %u is no insert (4), delete "
                           "(2) or modification (8)",
                           number, e.record, e.kind);
    }
    if (e.record == 0 || e.record >= next) {  // the change index lists it
      return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                           "change log entry %llu (kind %u): record %u is not one of the %u "
                           "stored versions",
                           number, e.kind, e.record, next - 1);
    }
    if (e.kind == kChangeModify && (e.related == 0 || e.related >= e.record)) {
      return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                           "change log entry %llu: record %u is logged as replacing record %u, "
                           "which is no earlier version",
                           number, e.record, e.related);
    }
  }
  // Undo walks the log back from its end: each step must find the versions in the states the
  // change left them in (an insert or a modification visible, a delete deleted, a replaced
  // version superseded), or undoing it would count records twice or put hidden ones back.
  std::vector<uint8_t> attr(next);
  for (uint32_t r = 1; r < next; ++r) attr[r] = table.Attribute(r);
  for (size_t i = log.Size(); i-- > 0;) {
    const ChangeLogEntry& e = log.At(i);
    const Ull number = i + 1;
    uint8_t& a = attr[e.record];
    switch (e.kind) {
      case kChangeNone:
        continue;
      case kChangeInsert:
        if (a & kRecInvisible) {
          return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                               "undoing change log entry %llu (insert of record %u) finds the "
                               "record invisible (row state 0x%02X)",
                               number, e.record, a);
        }
        a = dsRecHidden;
        break;
      case kChangeDelete:
        if (!(a & dsRecDeleted) || (a & (dsRecSuperseded | dsRecHidden))) {
          return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                               "undoing change log entry %llu (delete of record %u) finds the "
                               "record not deleted (row state 0x%02X)",
                               number, e.record, a);
        }
        a &= uint8_t(~dsRecDeleted);
        break;
      case kChangeModify: {
        uint8_t& old = attr[e.related];
        if ((a & kRecInvisible) || !(old & dsRecSuperseded) ||
            (old & (dsRecDeleted | dsRecHidden))) {
          return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                               "undoing change log entry %llu (record %u replacing %u) finds row "
                               "states 0x%02X and 0x%02X, not a visible version over a "
                               "superseded one",
                               number, e.record, e.related, a, old);
        }
        old &= uint8_t(~dsRecSuperseded);
        a = dsRecHidden;
        break;
      }
      default:  // refused above
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH, "change log entry %llu: kind %u",
                             number, e.kind);
    }
  }
  return DBERR_NONE;
}

}  // namespace dspacket
