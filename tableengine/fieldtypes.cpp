// Engine type codes and names of the framework's field types.
#include "tableengine/fieldtypes.h"

namespace db {

namespace {

using namespace dsengine;

struct FieldTypeInfo {
  EngineType engine;
  const char* name;
};

// Indexed by TFieldType.
constexpr FieldTypeInfo kFieldTypes[kFieldTypeCount] = {
    {{fldUNKNOWN, 0}, "Unknown"},
    {{fldZSTRING, 0}, "String"},
    {{fldINT16, 0}, "Smallint"},
    {{fldINT32, 0}, "Integer"},
    {{fldUINT16, 0}, "Word"},
    {{fldBOOL, 0}, "Boolean"},
    {{fldFLOAT, 0}, "Float"},
    {{fldFLOAT, fldstMONEY}, "Currency"},
    {{fldBCD, 0}, "BCD"},
    {{fldDATE, 0}, "Date"},
    {{fldTIME, 0}, "Time"},
    {{fldTIMESTAMP, 0}, "DateTime"},
    {{fldBYTES, 0}, "Bytes"},
    {{fldVARBYTES, 0}, "VarBytes"},
    {{fldINT32, fldstAUTOINC}, "AutoInc"},
    {{fldBLOB, fldstBINARY}, "Blob"},
    {{fldBLOB, fldstMEMO}, "Memo"},
    {{fldBLOB, fldstGRAPHIC}, "Graphic"},
    {{fldBLOB, fldstFMTMEMO}, "FmtMemo"},
    {{fldBLOB, fldstOLEOBJ}, "ParadoxOle"},
    {{fldBLOB, fldstDBSOLEOBJ}, "DBaseOle"},
    {{fldBLOB, fldstTYPEDBINARY}, "TypedBinary"},
    {{fldCURSOR, 0}, "Cursor"},
    {{fldZSTRING, fldstFIXED}, "FixedChar"},
    {{fldUNICODE, fldstUNICODE}, "WideString"},
    {{fldINT64, 0}, "Largeint"},
    {{fldADT, 0}, "ADT"},
    {{fldARRAY, 0}, "Array"},
    {{fldREF, 0}, "Reference"},
    {{fldTABLE, 0}, "DataSet"},
    {{fldBLOB, fldstHBINARY}, "OraBlob"},
    {{fldBLOB, fldstHMEMO}, "OraClob"},
    {{fldUNKNOWN, 0}, "Variant"},
    {{fldUNKNOWN, 0}, "Interface"},
    {{fldUNKNOWN, 0}, "IDispatch"},
    {{fldZSTRING, fldstGUID}, "Guid"},
    {{fldDATETIME, 24}, "TimeStamp"},
    {{fldFMTBCD, 0}, "FMTBcd"},
};

}  // namespace

EngineType EngineTypeOf(TFieldType ft) {
  return ft < kFieldTypeCount ? kFieldTypes[ft].engine : EngineType{fldUNKNOWN, 0};
}

const char* FieldTypeName(TFieldType ft) {
  return ft < kFieldTypeCount ? kFieldTypes[ft].name : "Unknown";
}

}  // namespace db
