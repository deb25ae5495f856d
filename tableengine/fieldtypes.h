// The framework's field types and field kinds, with their engine type codes and names.
// Shared by the filter parser (DBCommon) and the client dataset facade. Plain data.
#pragma once

#include <cstdint>

#include "tableengine/fielddesc.h"

namespace db {

enum TFieldType : uint8_t {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftTimeStamp,
  ftFMTBcd,
  kFieldTypeCount
};

enum TFieldKind : uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

// Engine type code (and sub-type) of a field type, as the facade writes it into a field
// descriptor.
struct EngineType {
  uint32_t type;
  uint32_t subType;
};
EngineType EngineTypeOf(TFieldType ft);

// The type's name without its "ft" prefix ("String", "Largeint"), for messages.
const char* FieldTypeName(TFieldType ft);

}  // namespace db
