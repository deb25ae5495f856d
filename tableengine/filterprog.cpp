// Filter program: building from the canonical expression and running on flat records.
//
// Every node of the expression becomes a slot: a field (read in place from the record), a
// constant (decoded once) or the result of an instruction. Instructions run in evaluation order,
// children before parents, the root last. Values are handled in five classes: strings, integers
// (booleans included), floating point (and packed decimals), temporal values (as milliseconds on
// the engine's day scale) and blob handles; an operator picks its operation code from the
// classes of its operands, and a combination without a code fails the build with 11871.
#include "tableengine/filterprog.h"

#include <chrono>
#include <cmath>
#include <cstring>

#include "platform/collation.h"
#include "tableengine/exprblock.h"
#include "tableengine/exprvalues.h"

namespace dsengine {

namespace {

enum class VClass : uint8_t { kNone, kString, kInt, kFloat, kTemporal, kBlob };

struct Value {
  bool null = false;
  int64_t i = 0;       // kInt, kBlob (handle)
  double d = 0;        // kFloat, kTemporal
  const char* s = "";  // kString
  size_t n = 0;        // kString
};

VClass ClassOf(uint32_t type) {
  switch (type) {
    case fldZSTRING:
      return VClass::kString;
    case fldBOOL:
    case fldINT16:
    case fldINT32:
    case fldINT64:
    case fldUINT64:
    case fldINT8:
    case fldUINT8:
    case fldBOOL8:
    case fldBOOL32:
      return VClass::kInt;
    case fldFLOAT:
    case fldBCD:
    case fldFMTBCD:
      return VClass::kFloat;
    case fldDATE:
    case fldTIME:
    case fldTIMESTAMP:
    case fldDATETIME:
      return VClass::kTemporal;
    case fldBLOB:
      return VClass::kBlob;
    default:
      return VClass::kNone;
  }
}

bool IsNumber(VClass c) { return c == VClass::kInt || c == VClass::kFloat; }
double AsDouble(const Value& v, VClass c) { return c == VClass::kInt ? double(v.i) : v.d; }

template <typename T>
T Read(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Decodes a value of engine type `type` held in `length` bytes. False when the length does not
// fit the type.
bool Decode(uint32_t type, const uint8_t* p, size_t length, Value& v) {
  switch (type) {
    case fldZSTRING: {
      const void* nul = std::memchr(p, 0, length);
      v.s = reinterpret_cast<const char*>(p);
      v.n = nul ? static_cast<const uint8_t*>(nul) - p : length;
      return true;
    }
    case fldINT8:
    case fldBOOL8:
      if (length < 1) return false;
      v.i = static_cast<int8_t>(p[0]);
      return true;
    case fldUINT8:
      if (length < 1) return false;
      v.i = p[0];
      return true;
    case fldBOOL:
    case fldINT16:
      if (length < 2) return false;
      v.i = Read<int16_t>(p);
      return true;
    case fldINT32:
    case fldBOOL32:
    case fldBLOB:
      if (length < 4) return false;
      v.i = Read<int32_t>(p);
      return true;
    case fldINT64:
    case fldUINT64:
      if (length < 8) return false;
      v.i = Read<int64_t>(p);
      return true;
    case fldFLOAT:
    case fldTIMESTAMP:
      if (length < 8) return false;
      v.d = Read<double>(p);
      return true;
    case fldBCD:
    case fldFMTBCD:
      if (length < 2) return false;
      v.d = db::BcdToDouble(p, length);
      return true;
    case fldDATE:
      if (length < 4) return false;
      v.d = static_cast<double>(Read<int32_t>(p)) * db::kMsPerDay;
      return true;
    case fldTIME:
      if (length < 4) return false;
      v.d = Read<int32_t>(p);
      return true;
    case fldDATETIME:
      if (length < db::kTimeStampSize) return false;
      v.d = db::TimeStampToMs(p);
      return true;
    default:
      return false;
  }
}

// Unsigned 16- and 32-bit fields evaluate as their signed types.
uint32_t NormaliseType(uint32_t type) {
  if (type == fldUINT16) return fldINT16;
  if (type == fldUINT32) return fldINT32;
  return type;
}

enum class Op : uint8_t {
  kIsBlank,
  kNotBlank,
  kNot,
  kAnd,
  kOr,
  kCompareString,
  kCompareInt,
  kCompareFloat,
  kLikeString,
  kLikeBlob,
  kIn,
  kArithFloat,
  kConcat,
  kTemporalAddNumber,
  kTemporalSubNumber,
  kTemporalDiff,
  kUpper,
  kLower,
  kTrim,
  kTrimLeft,
  kTrimRight,
  kSubstring,
  kYear,
  kMonth,
  kDay,
  kHour,
  kMinute,
  kSecond,
  kGetDate,
  kDate,
  kTime,
};

enum class CmpKind : uint8_t { kString, kInt, kFloat };

struct Slot {
  enum Where : uint8_t { kRecord, kConstant, kResult } where = kConstant;
  uint32_t type = 0;  // engine type (normalised)
  VClass cls = VClass::kNone;
  // kRecord
  uint32_t offset = 0, length = 0, nullOffset = 0;
  uint16_t fieldNumber = 0;
  bool fixedWidth = false;
  // kConstant and kResult: the current value.
  Value value;
  std::string text;                          // kResult: string data of the current value
  std::shared_ptr<const std::string> bytes;  // kConstant: the constant (stable address)
};

struct Instruction {
  Op op;
  int a = -1, b = -1;           // operand slots
  std::vector<int> args;        // IN elements, function arguments beyond a / b
  std::vector<CmpKind> argCmp;  // IN: comparison kind per element
  int result = -1;
  uint32_t cmp = 0;  // comparison operator code / arithmetic operator code
  CmpKind cmpKind = CmpKind::kInt;
  bool caseInsensitive = false;
  uint32_t partial = 0;
  bool patternIsConstant = false;
  LikePattern pattern;  // compiled once when the pattern is a constant
};

bool IsAsciiAlphaEqualIgnoreCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (platform::ToUpper(*a) != platform::ToUpper(*b)) return false;
  return *a == *b;
}

}  // namespace

struct FilterProgram::Impl {
  const FieldDescriptor* fields = nullptr;
  size_t fieldCount = 0;
  uint32_t locale = 0;
  const uint8_t* nodes = nullptr;
  size_t nodeAreaSize = 0;
  const uint8_t* literals = nullptr;
  size_t literalAreaSize = 0;
  std::vector<Slot> slots;
  std::vector<Instruction> code;
  int root = -1;
  uint32_t searchField = 0;                    // FindSearchField of the built program
  const uint8_t* record = nullptr;             // the flat record being tested, or
  const FilterRecordSource* stored = nullptr;  // the stored record being tested
  FilterBlobSource* blobs = nullptr;

  DBResult status = DBERR_NONE;

  int FailBuild(DBResult s) {
    if (status == DBERR_NONE) status = s;
    return -1;
  }
  int Malformed() { return FailBuild(DBERR_INVALIDPARAM); }
  int Mismatch() { return FailBuild(DBERR_TYPEMISMATCH); }

  // --- reading the block -------------------------------------------------------------------
  bool NodeHeader(uint32_t offset, int operands, uint32_t& cls, uint32_t& op) const {
    if (offset + kExprNodeHeaderSize + 2u * operands > nodeAreaSize) return false;
    cls = Read<uint32_t>(nodes + offset);
    op = Read<uint32_t>(nodes + offset + 4);
    return true;
  }
  uint16_t Operand(uint32_t offset, int i) const {
    return Read<uint16_t>(nodes + offset + kExprNodeHeaderSize + 2 * i);
  }
  const char* LiteralString(uint16_t offset) const {
    if (offset >= literalAreaSize) return nullptr;
    const void* nul = std::memchr(literals + offset, 0, literalAreaSize - offset);
    return nul ? reinterpret_cast<const char*>(literals + offset) : nullptr;
  }
  int Child(uint32_t parent, uint16_t child, int depth) {
    // Children follow their parent, which also rules out cycles.
    if (child <= parent) return Malformed();
    return BuildNode(child, depth + 1);
  }

  int NewSlot(Slot slot) {
    slot.cls = ClassOf(slot.type);
    slots.push_back(std::move(slot));
    return static_cast<int>(slots.size() - 1);
  }
  int NewResult(uint32_t type) {
    Slot s;
    s.where = Slot::kResult;
    s.type = type;
    return NewSlot(std::move(s));
  }
  int Emit(Instruction ins, uint32_t resultType) {
    ins.result = NewResult(resultType);
    code.push_back(std::move(ins));
    return code.back().result;
  }

  int BuildNode(uint32_t offset, int depth);
  int BuildField(uint32_t offset);
  int BuildConstant(uint32_t offset);
  int BuildUnary(uint32_t offset, uint32_t op, int depth);
  int BuildBinary(uint32_t offset, uint32_t op, int depth, bool compare);
  int BuildComparison(uint32_t op, int a, int b, bool ci, uint32_t partial);
  int BuildLike(int a, int b, bool ci);
  int BuildArithmetic(uint32_t op, int a, int b);
  int BuildIn(uint32_t offset, int a, uint16_t list, int depth);
  int BuildFunction(uint32_t offset, int depth);
  bool BuildList(uint32_t parent, uint16_t list, int depth, std::vector<int>& items);

  // --- running ------------------------------------------------------------------------------
  Value Load(int index) const;
  void Run(Instruction& ins);
  bool RunAll();  // every instruction, then the verdict on the root
  uint32_t FindSearchField() const;
  bool CompareValues(CmpKind kind, uint32_t op, const Value& a, VClass ca, const Value& b,
                     VClass cb, const Instruction& ins, bool fixedWidth) const;
};

int FilterProgram::Impl::BuildNode(uint32_t offset, int depth) {
  if (depth > kMaxDepth) return Malformed();
  uint32_t cls, op;
  if (!NodeHeader(offset, 0, cls, op)) return Malformed();
  switch (cls) {
    case nodeFIELD:
      return BuildField(offset);
    case nodeCONST:
      return BuildConstant(offset);
    case nodeUNARY:
      return BuildUnary(offset, op, depth);
    case nodeBINARY:
      return BuildBinary(offset, op, depth, false);
    case nodeCOMPARE:
      return BuildBinary(offset, op, depth, true);
    case nodeFUNC:
      return BuildFunction(offset, depth);
    default:
      return Malformed();
  }
}

int FilterProgram::Impl::BuildField(uint32_t offset) {
  uint32_t cls, op;
  if (!NodeHeader(offset, 2, cls, op)) return Malformed();
  const char* name = LiteralString(Operand(offset, 1));
  if (!name) return Malformed();
  for (size_t f = 0; f < fieldCount; ++f) {
    const FieldDescriptor& fd = fields[f];
    char fieldName[sizeof fd.name + 1] = {};
    std::memcpy(fieldName, fd.name, sizeof fd.name);
    if (!IsAsciiAlphaEqualIgnoreCase(fieldName, name)) continue;
    Slot s;
    s.where = Slot::kRecord;
    s.type = NormaliseType(fd.type);
    s.offset = fd.offset;
    s.length = fd.length;
    s.nullOffset = fd.nullOffset;
    s.fieldNumber = static_cast<uint16_t>(f + 1);
    s.fixedWidth = fd.type == fldZSTRING && fd.subType == fldstFIXED;
    return NewSlot(std::move(s));
  }
  return Malformed();
}

int FilterProgram::Impl::BuildConstant(uint32_t offset) {
  uint32_t cls, op;
  if (!NodeHeader(offset, 3, cls, op)) return Malformed();
  uint32_t type = NormaliseType(Operand(offset, 0));
  uint16_t size = Operand(offset, 1);
  uint16_t at = Operand(offset, 2);
  if (static_cast<size_t>(at) + size > literalAreaSize) return Malformed();
  Slot s;
  s.where = Slot::kConstant;
  s.type = type;
  if (ClassOf(type) == VClass::kNone || type == fldBLOB) return Mismatch();
  if (size == 0) {
    s.value.null = true;  // NULL
  } else {
    // A private copy: the block is not kept, and the copy's address never changes.
    auto bytes =
        std::make_shared<const std::string>(reinterpret_cast<const char*>(literals + at), size);
    if (!Decode(type, reinterpret_cast<const uint8_t*>(bytes->data()), size, s.value))
      return Malformed();
    s.bytes = std::move(bytes);
  }
  return NewSlot(std::move(s));
}

int FilterProgram::Impl::BuildUnary(uint32_t offset, uint32_t op, int depth) {
  uint32_t cls;
  if (!NodeHeader(offset, 1, cls, op)) return Malformed();
  int a = Child(offset, Operand(offset, 0), depth);
  if (a < 0) return -1;
  Instruction ins;
  ins.a = a;
  switch (op) {
    case canISBLANK:
      ins.op = Op::kIsBlank;
      break;
    case canNOTBLANK:
      ins.op = Op::kNotBlank;
      break;
    case canNOT:
      if (!IsNumber(slots[a].cls)) return Mismatch();
      ins.op = Op::kNot;
      break;
    default:
      return Mismatch();
  }
  return Emit(std::move(ins), fldBOOL);
}

int FilterProgram::Impl::BuildBinary(uint32_t offset, uint32_t op, int depth, bool compare) {
  uint32_t cls;
  int first = compare ? 2 : 0;
  if (!NodeHeader(offset, first + 2, cls, op)) return Malformed();
  bool ci = compare && Operand(offset, 0) != 0;
  uint32_t partial = compare ? Operand(offset, 1) : 0;
  int a = Child(offset, Operand(offset, first), depth);
  if (a < 0) return -1;
  if (op == canIN && !compare) return BuildIn(offset, a, Operand(offset, first + 1), depth);
  int b = Child(offset, Operand(offset, first + 1), depth);
  if (b < 0) return -1;
  switch (op) {
    case canEQ:
    case canNE:
    case canGT:
    case canLT:
    case canGE:
    case canLE:
      return BuildComparison(op, a, b, ci, partial);
    case canLIKE:
      return BuildLike(a, b, ci);
    case canAND:
    case canOR: {
      if (compare || !IsNumber(slots[a].cls) || !IsNumber(slots[b].cls)) return Mismatch();
      Instruction ins;
      ins.op = op == canAND ? Op::kAnd : Op::kOr;
      ins.a = a, ins.b = b;
      return Emit(std::move(ins), fldBOOL);
    }
    case canADD:
    case canSUB:
    case canMUL:
    case canDIV:
      if (compare) return Mismatch();
      return BuildArithmetic(op, a, b);
    default:
      return Mismatch();
  }
}

namespace {
bool PickCompare(VClass a, VClass b, CmpKind& kind) {
  if (a == VClass::kString && b == VClass::kString) return kind = CmpKind::kString, true;
  if (a == VClass::kInt && b == VClass::kInt) return kind = CmpKind::kInt, true;
  if ((IsNumber(a) && IsNumber(b)) || (a == VClass::kTemporal && b == VClass::kTemporal))
    return kind = CmpKind::kFloat, true;
  return false;
}
}  // namespace

int FilterProgram::Impl::BuildComparison(uint32_t op, int a, int b, bool ci, uint32_t partial) {
  Instruction ins;
  if (!PickCompare(slots[a].cls, slots[b].cls, ins.cmpKind)) return Mismatch();
  ins.op = ins.cmpKind == CmpKind::kString ? Op::kCompareString
           : ins.cmpKind == CmpKind::kInt  ? Op::kCompareInt
                                           : Op::kCompareFloat;
  ins.a = a, ins.b = b;
  ins.cmp = op;
  ins.caseInsensitive = ci;
  ins.partial = partial;
  return Emit(std::move(ins), fldBOOL);
}

int FilterProgram::Impl::BuildLike(int a, int b, bool ci) {
  if (slots[b].cls != VClass::kString) return Mismatch();
  Instruction ins;
  if (slots[a].cls == VClass::kString)
    ins.op = Op::kLikeString;
  else if (slots[a].cls == VClass::kBlob && slots[a].where == Slot::kRecord)
    ins.op = Op::kLikeBlob;
  else
    return Mismatch();
  ins.a = a, ins.b = b;
  ins.caseInsensitive = ci;
  const Slot& pattern = slots[b];
  if (pattern.where == Slot::kConstant && !pattern.value.null) {
    ins.patternIsConstant = true;
    ins.pattern.Compile(std::string_view(pattern.value.s, pattern.value.n), ci, locale);
  }
  return Emit(std::move(ins), fldBOOL);
}

int FilterProgram::Impl::BuildArithmetic(uint32_t op, int a, int b) {
  VClass ca = slots[a].cls, cb = slots[b].cls;
  Instruction ins;
  ins.a = a, ins.b = b;
  ins.cmp = op;
  if (IsNumber(ca) && IsNumber(cb)) {
    ins.op = Op::kArithFloat;
    return Emit(std::move(ins), fldFLOAT);
  }
  if (op == canADD && ca == VClass::kString && cb == VClass::kString) {
    ins.op = Op::kConcat;
    return Emit(std::move(ins), fldZSTRING);
  }
  if ((op == canADD || op == canSUB) && ca == VClass::kTemporal && IsNumber(cb)) {
    ins.op = op == canADD ? Op::kTemporalAddNumber : Op::kTemporalSubNumber;
    return Emit(std::move(ins), fldTIMESTAMP);
  }
  if (op == canSUB && ca == VClass::kTemporal && cb == VClass::kTemporal) {
    ins.op = Op::kTemporalDiff;
    return Emit(std::move(ins), fldFLOAT);
  }
  return Mismatch();
}

bool FilterProgram::Impl::BuildList(uint32_t parent, uint16_t list, int depth,
                                    std::vector<int>& items) {
  uint32_t previous = parent;
  while (list != 0) {
    if (list <= previous || ++depth > kMaxDepth) return Malformed(), false;
    uint32_t cls, op;
    if (!NodeHeader(list, 2, cls, op) || cls != nodeLISTELEM) return Malformed(), false;
    int item = Child(list, Operand(list, 0), depth);
    if (item < 0) return false;
    items.push_back(item);
    previous = list;
    list = Operand(list, 1);
  }
  return true;
}

int FilterProgram::Impl::BuildIn(uint32_t offset, int a, uint16_t list, int depth) {
  Instruction ins;
  ins.op = Op::kIn;
  ins.a = a;
  if (list == 0 || !BuildList(offset, list, depth, ins.args)) return status ? -1 : Malformed();
  for (int item : ins.args) {
    CmpKind kind;
    if (!PickCompare(slots[a].cls, slots[item].cls, kind)) return Mismatch();
    ins.argCmp.push_back(kind);
  }
  ins.cmp = canEQ;
  return Emit(std::move(ins), fldBOOL);
}

int FilterProgram::Impl::BuildFunction(uint32_t offset, int depth) {
  uint32_t cls, op;
  if (!NodeHeader(offset, 2, cls, op)) return Malformed();
  const char* name = LiteralString(Operand(offset, 0));
  if (!name) return Malformed();
  std::vector<int> args;
  if (!BuildList(offset, Operand(offset, 1), depth, args)) return -1;
  auto is = [&](const char* n) { return IsAsciiAlphaEqualIgnoreCase(name, n); };
  auto argClass = [&](size_t i) { return i < args.size() ? slots[args[i]].cls : VClass::kNone; };
  Instruction ins;
  ins.args = args;
  if (!args.empty()) ins.a = args[0];
  uint32_t resultType;
  if (is("upper") || is("lower") || is("trim") || is("triml") || is("trimleft") || is("trimt") ||
      is("trimright")) {
    if (args.size() != 1 || argClass(0) != VClass::kString) return Mismatch();
    ins.op = is("upper")                       ? Op::kUpper
             : is("lower")                     ? Op::kLower
             : is("trim")                      ? Op::kTrim
             : (is("triml") || is("trimleft")) ? Op::kTrimLeft
                                               : Op::kTrimRight;
    resultType = fldZSTRING;
  } else if (is("substring")) {
    if (args.size() < 2 || args.size() > 3 || argClass(0) != VClass::kString ||
        !IsNumber(argClass(1)) || (args.size() == 3 && !IsNumber(argClass(2))))
      return Mismatch();
    ins.op = Op::kSubstring;
    resultType = fldZSTRING;
  } else if (is("year") || is("month") || is("day") || is("hour") || is("minute") || is("second") ||
             is("date") || is("time")) {
    if (args.size() != 1 || argClass(0) != VClass::kTemporal) return Mismatch();
    ins.op = is("year")     ? Op::kYear
             : is("month")  ? Op::kMonth
             : is("day")    ? Op::kDay
             : is("hour")   ? Op::kHour
             : is("minute") ? Op::kMinute
             : is("second") ? Op::kSecond
             : is("date")   ? Op::kDate
                            : Op::kTime;
    resultType = ins.op == Op::kDate ? fldDATE : ins.op == Op::kTime ? fldTIME : fldINT32;
  } else if (is("getdate") || is("getsqldate")) {
    if (!args.empty()) return Mismatch();
    ins.op = Op::kGetDate;
    resultType = fldTIMESTAMP;
  } else {
    return Mismatch();  // aggregates and unknown names have no code in a filter
  }
  return Emit(std::move(ins), resultType);
}

// --- running ------------------------------------------------------------------------------

Value FilterProgram::Impl::Load(int index) const {
  const Slot& s = slots[index];
  if (s.where != Slot::kRecord) return s.value;
  Value v;
  if (stored != nullptr) {
    v.null = stored->NullFlag(s.fieldNumber) != 0;
    Decode(s.type, stored->Value(s.fieldNumber), s.length, v);
  } else {
    v.null = record[s.nullOffset] != 0;
    Decode(s.type, record + s.offset, s.length, v);
  }
  return v;
}

namespace {

bool Ordered(int c, uint32_t op) {
  switch (op) {
    case canEQ:
      return c == 0;
    case canNE:
      return c != 0;
    case canGT:
      return c > 0;
    case canLT:
      return c < 0;
    case canGE:
      return c >= 0;
    case canLE:
      return c <= 0;
    default:
      return false;
  }
}

size_t WithoutTrailingBlanks(const char* s, size_t n) {
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

}  // namespace

bool FilterProgram::Impl::CompareValues(CmpKind kind, uint32_t op, const Value& a, VClass ca,
                                        const Value& b, VClass cb, const Instruction& ins,
                                        bool fixedWidth) const {
  int c;
  if (kind == CmpKind::kString) {
    size_t la = a.n, lb = b.n;
    if (ins.partial != 0 && (op == canEQ || op == canNE)) {
      if (la > ins.partial) la = ins.partial;
      if (lb > ins.partial) lb = ins.partial;
    } else if (op == canEQ && fixedWidth && ins.partial == 0) {
      la = WithoutTrailingBlanks(a.s, la);
      lb = WithoutTrailingBlanks(b.s, lb);
    }
    int r = platform::Compare(locale, ins.caseInsensitive ? platform::kNormIgnoreCase : 0, a.s,
                              static_cast<int>(la), b.s, static_cast<int>(lb));
    c = r == platform::kCompareLess ? -1 : r == platform::kCompareEqual ? 0 : 1;
  } else if (kind == CmpKind::kInt) {
    c = a.i < b.i ? -1 : a.i > b.i ? 1 : 0;
  } else {
    double x = AsDouble(a, ca), y = AsDouble(b, cb);
    c = x < y ? -1 : x > y ? 1 : 0;
  }
  return Ordered(c, op);
}

void FilterProgram::Impl::Run(Instruction& ins) {
  Slot& out = slots[ins.result];
  Value& r = out.value;
  Value a = ins.a >= 0 ? Load(ins.a) : Value();
  Value b = ins.b >= 0 ? Load(ins.b) : Value();
  VClass ca = ins.a >= 0 ? slots[ins.a].cls : VClass::kNone;
  VClass cb = ins.b >= 0 ? slots[ins.b].cls : VClass::kNone;
  r = Value();
  r.null = a.null || b.null;
  auto truth = [](const Value& v, VClass c) { return c == VClass::kInt ? v.i != 0 : v.d != 0; };
  auto setText = [&](std::string_view text) {
    out.text.assign(text);
    r.s = out.text.data();
    r.n = out.text.size();
  };
  switch (ins.op) {
    case Op::kIsBlank:
      r.null = false, r.i = a.null;
      break;
    case Op::kNotBlank:
      r.null = false, r.i = !a.null;
      break;
    case Op::kNot:
      r.null = false, r.i = !truth(a, ca);
      break;
    case Op::kAnd:
      r.null = false, r.i = truth(a, ca) && truth(b, cb);
      break;
    case Op::kOr:
      r.null = false, r.i = truth(a, ca) || truth(b, cb);
      break;
    case Op::kCompareString:
    case Op::kCompareInt:
    case Op::kCompareFloat:
      r.i = CompareValues(ins.cmpKind, ins.cmp, a, ca, b, cb, ins, slots[ins.a].fixedWidth);
      break;
    case Op::kLikeString:
    case Op::kLikeBlob: {
      const char* text = a.s;
      size_t length = a.n;
      if (ins.op == Op::kLikeBlob) {
        if (a.null || !blobs ||
            !blobs->GetBlob(slots[ins.a].fieldNumber, static_cast<int32_t>(a.i), text, length)) {
          r.i = 0;
          break;
        }
      }
      if (!ins.patternIsConstant)
        ins.pattern.Compile(std::string_view(b.s, b.n), ins.caseInsensitive, locale);
      r.i = ins.pattern.Match(text, length);
      break;
    }
    case Op::kIn:
      r.i = 0;
      for (size_t k = 0; k < ins.args.size() && !r.i; ++k) {
        Value e = Load(ins.args[k]);
        if (e.null) continue;
        r.i = CompareValues(ins.argCmp[k], canEQ, a, ca, e, slots[ins.args[k]].cls, ins,
                            slots[ins.a].fixedWidth);
      }
      break;
    case Op::kArithFloat: {
      double x = AsDouble(a, ca), y = AsDouble(b, cb);
      switch (ins.cmp) {
        case canADD:
          r.d = x + y;
          break;
        case canSUB:
          r.d = x - y;
          break;
        case canMUL:
          r.d = x * y;
          break;
        default:
          if (y == 0)
            r.null = true;  // division by zero: no value
          else
            r.d = x / y;
      }
      break;
    }
    case Op::kConcat: {
      std::string joined(a.s, a.n);
      joined.append(b.s, b.n);
      setText(joined);
      break;
    }
    case Op::kTemporalAddNumber:
      r.d = a.d + AsDouble(b, cb) * db::kMsPerDay;
      break;
    case Op::kTemporalSubNumber:
      r.d = a.d - AsDouble(b, cb) * db::kMsPerDay;
      break;
    case Op::kTemporalDiff:
      r.d = (a.d - b.d) / db::kMsPerDay;
      break;
    case Op::kUpper:
    case Op::kLower:
      setText(std::string_view(a.s, a.n));
      if (ins.op == Op::kUpper)
        platform::ToUpperBuffer(out.text.data(), out.text.size());
      else
        platform::ToLowerBuffer(out.text.data(), out.text.size());
      break;
    case Op::kTrim:
    case Op::kTrimLeft:
    case Op::kTrimRight: {
      std::string_view s(a.s, a.n);
      if (ins.op != Op::kTrimRight)
        while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
      if (ins.op != Op::kTrimLeft)
        while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
      setText(s);
      break;
    }
    case Op::kSubstring: {
      Value start = Load(ins.args[1]);
      double from = AsDouble(start, slots[ins.args[1]].cls);
      r.null = a.null || start.null;
      double count = static_cast<double>(a.n);
      if (ins.args.size() == 3) {
        Value len = Load(ins.args[2]);
        r.null = r.null || len.null;
        count = AsDouble(len, slots[ins.args[2]].cls);
      }
      double first = std::isfinite(from) && from > 1 ? std::floor(from) - 1 : 0;
      size_t begin = first >= static_cast<double>(a.n) ? a.n : static_cast<size_t>(first);
      size_t n = !(count > 0)                                ? 0
                 : count >= static_cast<double>(a.n - begin) ? a.n - begin
                                                             : static_cast<size_t>(count);
      setText(std::string_view(a.s + begin, n));
      break;
    }
    case Op::kYear:
    case Op::kMonth:
    case Op::kDay: {
      double days = std::isfinite(a.d) ? std::floor(a.d / db::kMsPerDay) : 0;
      if (days < 1 || days > 3652059) days = 1;
      int y, m, d;
      db::DecodeDayNumber(static_cast<int32_t>(days), y, m, d);
      r.i = ins.op == Op::kYear ? y : ins.op == Op::kMonth ? m : d;
      break;
    }
    case Op::kHour:
    case Op::kMinute:
    case Op::kSecond:
    case Op::kTime: {
      double ms = std::isfinite(a.d) ? std::fmod(a.d, double(db::kMsPerDay)) : 0;
      if (ms < 0) ms += db::kMsPerDay;
      int64_t t = static_cast<int64_t>(ms);
      if (ins.op == Op::kTime)
        r.d = static_cast<double>(t);
      else
        r.i = ins.op == Op::kHour     ? t / 3600000
              : ins.op == Op::kMinute ? t / 60000 % 60
                                      : t / 1000 % 60;
      break;
    }
    case Op::kDate:
      r.d = std::isfinite(a.d) ? std::floor(a.d / db::kMsPerDay) * db::kMsPerDay : 0;
      break;
    case Op::kGetDate: {
      using namespace std::chrono;
      int64_t unixMs = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
      constexpr int64_t kUnixEpochDay = 719163;  // day number of 1 January 1970
      r.d = static_cast<double>(unixMs + kUnixEpochDay * db::kMsPerDay);
      break;
    }
  }
}

FilterProgram::FilterProgram() : impl_(std::make_unique<Impl>()) {}
FilterProgram::~FilterProgram() = default;

DBResult FilterProgram::Build(const uint8_t* expr, size_t size, const FieldDescriptor* fields,
                              size_t fieldCount, uint32_t locale) {
  impl_ = std::make_unique<Impl>();
  Impl& m = *impl_;
  m.fields = fields;
  m.fieldCount = fieldCount;
  m.locale = locale;
  if (!expr || size < kExprHeaderSize || size > kExprMaxBlockSize) return DBERR_INVALIDPARAM;
  uint16_t version = Read<uint16_t>(expr), total = Read<uint16_t>(expr + 2);
  uint16_t nodeStart = Read<uint16_t>(expr + 6), literalStart = Read<uint16_t>(expr + 8);
  if (version != kExprVersion || total != size || nodeStart != kExprHeaderSize ||
      literalStart < nodeStart || literalStart > size)
    return DBERR_INVALIDPARAM;
  m.nodes = expr + nodeStart;
  m.nodeAreaSize = literalStart - nodeStart;
  m.literals = expr + literalStart;
  m.literalAreaSize = size - literalStart;
  m.root = m.BuildNode(0, 0);
  if (m.root < 0) {
    DBResult status = m.status != DBERR_NONE ? m.status : DBResult{DBERR_INVALIDPARAM};
    impl_ = std::make_unique<Impl>();
    return status;
  }
  // The block is not kept: every constant was copied into its slot.
  m.nodes = m.literals = nullptr;
  m.searchField = m.FindSearchField();
  return DBERR_NONE;
}

bool FilterProgram::Evaluate(const uint8_t* record, FilterBlobSource* blobs) {
  Impl& m = *impl_;
  if (m.root < 0) return false;
  m.record = record;
  m.stored = nullptr;
  m.blobs = blobs;
  return m.RunAll();
}

bool FilterProgram::Evaluate(const FilterRecordSource& record, FilterBlobSource* blobs) {
  Impl& m = *impl_;
  if (m.root < 0) return false;
  // The search box's shape, «field like 'constant'» alone: its one instruction's result is the
  // match, null (so failing) when the field is null. The pattern reads the field's bytes as far
  // as its shape needs (a prefix pattern only its first bytes).
  if (m.searchField != 0)
    return EvaluateSearchField(record.Value(m.searchField), record.NullFlag(m.searchField));
  m.record = nullptr;
  m.stored = &record;
  m.blobs = blobs;
  const bool passes = m.RunAll();
  m.stored = nullptr;
  return passes;
}

uint32_t FilterProgram::SearchField() const { return impl_->searchField; }

bool FilterProgram::EvaluateSearchField(const uint8_t* value, uint8_t nullFlag) const {
  const Impl& m = *impl_;
  if (nullFlag != 0) return false;
  const Slot& field = m.slots[m.code[0].a];
  return m.code[0].pattern.MatchField(reinterpret_cast<const char*>(value), field.length);
}

// «field like 'constant'» alone: the one instruction reads a field of the record.
uint32_t FilterProgram::Impl::FindSearchField() const {
  if (root < 0 || code.size() != 1 || code[0].op != Op::kLikeString || !code[0].patternIsConstant)
    return 0;
  const Slot& field = slots[code[0].a];
  return field.where == Slot::kRecord ? field.fieldNumber : 0;
}

bool FilterProgram::Impl::RunAll() {
  for (Instruction& ins : code) Run(ins);
  Value v = Load(root);
  return slots[root].type == fldBOOL && !v.null && v.i != 0;
}

}  // namespace dsengine
