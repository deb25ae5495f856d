// Packet parameters of a table: the names the engine knows, the sub-type names, and the rules
// that turn a table's state into field and table parameters (export) and parameters back into
// table state (import). Used by the table export and import only. Stateless; the callers hold
// the table's lock.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "datapacket/packetfault.h"
#include "datapacket/packetwriter.h"
#include "tableengine/dsbase.h"

namespace dspacket {

// The known parameter names, numbered as the engine numbers them; kUnknown for any other.
enum class KnownParam : uint32_t {
  kUnknown = 0,
  kUniqueKey,
  kDefaultOrder,
  kChangeLog,
  kServerCol,
  kConstraints,
  kDatasetContext,
  kDatasetDelta,
  kReadOnly,
  kSubType,
  kDecimals,
  kWidth,
  kLcid,
  kBdeDomainX,
  kBdeRecordX,
  kBdeDefaultX,
  kAutoIncValue,
  kElements,
  kTableName,
  kMdFieldLinks,
  kTypeName,
  kUpdateMode,
  kMdSemantics,
  kCalculated,
  kBdeDomainCl,
  kBdeRecordCl,
  kBdeDefaultCl,
  kDelta,
  kPrimaryKey,
  kMinValue,
  kMaxValue,
  kDisableDeletes,
  kDisableInserts,
  kDisableEdits,
};

// Field type words of the parameters the export writes.
constexpr uint32_t kWordOrderArray = 0x00820002;  // 32-bit count, 16-bit elements
constexpr uint32_t kWordChangeLog = 0x00820004;   // 32-bit count, 32-bit elements
constexpr uint32_t kWordSubType = 0x00490002;     // string, 2-byte prefix counting the zero
constexpr uint32_t kWordUInt16 = 0x00020002;
constexpr uint32_t kWordAutoIncValue = 0x00010004;

// Order array element flags.
constexpr uint32_t kOrderDescending = 0x8000;
constexpr uint32_t kOrderCaseInsensitive = 0x4000;

// Sub-type of a "SUBTYPE" whose name is not known.
constexpr uint32_t kSubTypeUnknown = 255;

// Compares without regard to the case of A to Z only.
KnownParam KnownParamOf(std::string_view name);
const char* KnownParamName(KnownParam param);
// The sub-type of a name (case of A to Z ignored), kSubTypeUnknown when none.
uint32_t SubTypeOfName(std::string_view name);
// The name of a sub-type, nullptr when it has none.
const char* SubTypeName(uint32_t subType);

// ---- Export ----

// The field parameters of `field`: SUBTYPE, DECIMALS, WIDTH, CALCULATED, then the field's kept
// parameters in their order. A sub-type 255 writes only its kept "SUBTYPE" (so a file does not
// gain one empty-named "SUBTYPE" per save).
DBResult WriteFieldParameters(TDATAPACKET_WRITE& writer, const dsengine::DSBASE& table,
                              uint32_t field);
// Level 0's table parameters: DEFAULT_ORDER, PRIMARY_KEY / UNIQUE_KEY, CHANGE_LOG,
// AUTOINCVALUE (none of these for a delta table), the kept table parameters, then the closing
// call.
DBResult WriteTableParameters(TDATAPACKET_WRITE& writer, const dsengine::DSBASE& table);

// ---- Import ----

// One parameter as the reader hands it out.
struct ParamValue {
  const char* name;
  uint32_t fieldType;
  const uint8_t* data;
  uint32_t length;
};

// Applies a field parameter to the descriptor of the column being read (before the table is
// created). *keep is set when the parameter must be kept under the field. DBERR_INVALIDPARAM for a
// "SUBTYPE" that is no string or a value too short for its kind. Refusals say why in `fault`.
DBResult ApplyFieldParameter(const ParamValue& p, dsengine::FieldDescriptor* field, bool* keep,
                             PacketFault* fault);
// Applies a table parameter to the created, still empty table. *keep is set when it must be
// kept. DBERR_INVALIDPARAM for a bad "CHANGE_LOG" or order array; index statuses for a key the
// table cannot have. Refusals say why in `fault`.
DBResult ApplyTableParameter(const ParamValue& p, dsengine::DSBASE& table, bool* keep,
                             PacketFault* fault);

// Checks that the change log fits the loaded store: every entry is a dropped one (kind 0) or an
// insert, delete or modification that names a stored version (the change index lists them), a
// modification replaced a lower, stored version, and undoing the entries from the last one back
// finds every version in the state its change left it in. Later undo and change counting rely on
// it. DBERR_DATAPACKETMISMATCH otherwise, with the first entry that does not fit named in `fault`.
DBResult CheckChangeLog(const dsengine::DSBASE& table, PacketFault* fault);

}  // namespace dspacket
