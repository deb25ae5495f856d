// Filter program compiler: walks the canonical expression (exprblock.h) from its root and turns
// each node into a slot, each operator node into an instruction whose operation code fits the
// classes of its operands. A combination without a code fails the build with DBERR_TYPEMISMATCH; a
// block that breaks its own layout fails with DBERR_INVALIDPARAM. The block is not kept: constants
// are copied into their slots.
#include <cstring>

#include "platform/collation.h"
#include "tableengine/exprblock.h"
#include "tableengine/filtercode.h"

namespace dsengine::filtercode {

namespace {

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

// Unsigned 16- and 32-bit fields evaluate as their signed types.
uint32_t NormaliseType(uint32_t type) {
  if (type == fldUINT16) return fldINT16;
  if (type == fldUINT32) return fldINT32;
  return type;
}

bool IsAsciiAlphaEqualIgnoreCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (platform::ToUpper(*a) != platform::ToUpper(*b)) return false;
  return *a == *b;
}

// The comparison of two operand classes; false when they do not compare.
bool PickCompare(VClass a, VClass b, CmpKind& kind) {
  if (a == VClass::kString && b == VClass::kString) return kind = CmpKind::kString, true;
  if (a == VClass::kInt && b == VClass::kInt) return kind = CmpKind::kInt, true;
  if ((IsNumber(a) && IsNumber(b)) || (a == VClass::kTemporal && b == VClass::kTemporal))
    return kind = CmpKind::kFloat, true;
  return false;
}

class Compiler {
 public:
  Compiler(const FieldDescriptor* fields, size_t fieldCount, Program& program)
      : fields_(fields), fieldCount_(fieldCount), program_(program) {}

  DBResult Compile(const uint8_t* expr, size_t size);

 private:
  int FailBuild(DBResult s) {
    if (status_ == DBERR_NONE) status_ = s;
    return -1;
  }
  int Malformed() { return FailBuild(DBERR_INVALIDPARAM); }
  int Mismatch() { return FailBuild(DBERR_TYPEMISMATCH); }

  // --- reading the block ---------------------------------------------------------------------
  bool NodeHeader(uint32_t offset, int operands, uint32_t& cls, uint32_t& op) const {
    if (offset + kExprNodeHeaderSize + 2u * operands > nodeAreaSize_) return false;
    cls = Read<uint32_t>(nodes_ + offset);
    op = Read<uint32_t>(nodes_ + offset + 4);
    return true;
  }
  uint16_t Operand(uint32_t offset, int i) const {
    return Read<uint16_t>(nodes_ + offset + kExprNodeHeaderSize + 2 * i);
  }
  const char* LiteralString(uint16_t offset) const {
    if (offset >= literalAreaSize_) return nullptr;
    const void* nul = std::memchr(literals_ + offset, 0, literalAreaSize_ - offset);
    return nul ? reinterpret_cast<const char*>(literals_ + offset) : nullptr;
  }
  int Child(uint32_t parent, uint16_t child, int depth) {
    // Children follow their parent, which also rules out cycles.
    if (child <= parent) return Malformed();
    return BuildNode(child, depth + 1);
  }

  // --- writing the program -------------------------------------------------------------------
  int NewSlot(Slot slot) {
    slot.cls = ClassOf(slot.type);
    program_.slots.push_back(std::move(slot));
    return static_cast<int>(program_.slots.size() - 1);
  }
  int Emit(Instruction ins, uint32_t resultType) {
    Slot result;
    result.where = Slot::kResult;
    result.type = resultType;
    ins.result = NewSlot(std::move(result));
    program_.code.push_back(std::move(ins));
    return program_.code.back().result;
  }
  VClass ClassOfSlot(int slot) const { return program_.slots[slot].cls; }

  // Each returns the slot of the node's value, or -1 with status_ set.
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
  uint32_t FindSearchField() const;

  const FieldDescriptor* fields_;
  size_t fieldCount_;
  Program& program_;
  const uint8_t* nodes_ = nullptr;
  size_t nodeAreaSize_ = 0;
  const uint8_t* literals_ = nullptr;
  size_t literalAreaSize_ = 0;
  DBResult status_ = DBERR_NONE;  // the first failure
};

DBResult Compiler::Compile(const uint8_t* expr, size_t size) {
  if (!expr || size < kExprHeaderSize || size > kExprMaxBlockSize) return DBERR_INVALIDPARAM;
  uint16_t version = Read<uint16_t>(expr), total = Read<uint16_t>(expr + 2);
  uint16_t nodeStart = Read<uint16_t>(expr + 6), literalStart = Read<uint16_t>(expr + 8);
  if (version != kExprVersion || total != size || nodeStart != kExprHeaderSize ||
      literalStart < nodeStart || literalStart > size)
    return DBERR_INVALIDPARAM;
  nodes_ = expr + nodeStart;
  nodeAreaSize_ = literalStart - nodeStart;
  literals_ = expr + literalStart;
  literalAreaSize_ = size - literalStart;
  int root = BuildNode(0, 0);
  if (root < 0) return status_ != DBERR_NONE ? status_ : DBResult{DBERR_INVALIDPARAM};
  program_.root = root;
  program_.searchField = FindSearchField();
  return DBERR_NONE;
}

int Compiler::BuildNode(uint32_t offset, int depth) {
  if (depth > FilterProgram::kMaxDepth) return Malformed();
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

int Compiler::BuildField(uint32_t offset) {
  uint32_t cls, op;
  if (!NodeHeader(offset, 2, cls, op)) return Malformed();
  const char* name = LiteralString(Operand(offset, 1));
  if (!name) return Malformed();
  for (size_t f = 0; f < fieldCount_; ++f) {
    const FieldDescriptor& fd = fields_[f];
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

int Compiler::BuildConstant(uint32_t offset) {
  uint32_t cls, op;
  if (!NodeHeader(offset, 3, cls, op)) return Malformed();
  uint32_t type = NormaliseType(Operand(offset, 0));
  uint16_t size = Operand(offset, 1);
  uint16_t at = Operand(offset, 2);
  if (static_cast<size_t>(at) + size > literalAreaSize_) return Malformed();
  Slot s;
  s.where = Slot::kConstant;
  s.type = type;
  if (ClassOf(type) == VClass::kNone || type == fldBLOB) return Mismatch();
  if (size == 0) {
    s.value.null = true;  // NULL
  } else {
    // A private copy: the block is not kept, and the copy's address never changes.
    auto bytes =
        std::make_shared<const std::string>(reinterpret_cast<const char*>(literals_ + at), size);
    if (!Decode(type, reinterpret_cast<const uint8_t*>(bytes->data()), size, s.value))
      return Malformed();
    s.bytes = std::move(bytes);
  }
  return NewSlot(std::move(s));
}

int Compiler::BuildUnary(uint32_t offset, uint32_t op, int depth) {
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
      if (!IsNumber(ClassOfSlot(a))) return Mismatch();
      ins.op = Op::kNot;
      break;
    default:
      return Mismatch();
  }
  return Emit(std::move(ins), fldBOOL);
}

int Compiler::BuildBinary(uint32_t offset, uint32_t op, int depth, bool compare) {
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
      if (compare || !IsNumber(ClassOfSlot(a)) || !IsNumber(ClassOfSlot(b))) return Mismatch();
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

int Compiler::BuildComparison(uint32_t op, int a, int b, bool ci, uint32_t partial) {
  CmpKind kind;
  if (!PickCompare(ClassOfSlot(a), ClassOfSlot(b), kind)) return Mismatch();
  Instruction ins;
  ins.op = kind == CmpKind::kString ? Op::kCompareString
           : kind == CmpKind::kInt  ? Op::kCompareInt
                                    : Op::kCompareFloat;
  ins.a = a, ins.b = b;
  ins.cmp = op;
  ins.caseInsensitive = ci;
  ins.partial = partial;
  return Emit(std::move(ins), fldBOOL);
}

int Compiler::BuildLike(int a, int b, bool ci) {
  if (ClassOfSlot(b) != VClass::kString) return Mismatch();
  Instruction ins;
  if (ClassOfSlot(a) == VClass::kString)
    ins.op = Op::kLikeString;
  else if (ClassOfSlot(a) == VClass::kBlob && program_.slots[a].where == Slot::kRecord)
    ins.op = Op::kLikeBlob;
  else
    return Mismatch();
  ins.a = a, ins.b = b;
  ins.caseInsensitive = ci;
  const Slot& pattern = program_.slots[b];
  if (pattern.where == Slot::kConstant && !pattern.value.null) {
    ins.patternIsConstant = true;
    ins.pattern.Compile(std::string_view(pattern.value.s, pattern.value.n), ci, program_.locale);
  }
  return Emit(std::move(ins), fldBOOL);
}

int Compiler::BuildArithmetic(uint32_t op, int a, int b) {
  VClass ca = ClassOfSlot(a), cb = ClassOfSlot(b);
  Instruction ins;
  ins.a = a, ins.b = b;
  if (IsNumber(ca) && IsNumber(cb)) {
    ins.op = op == canADD   ? Op::kAdd
             : op == canSUB ? Op::kSubtract
             : op == canMUL ? Op::kMultiply
                            : Op::kDivide;
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

bool Compiler::BuildList(uint32_t parent, uint16_t list, int depth, std::vector<int>& items) {
  uint32_t previous = parent;
  while (list != 0) {
    if (list <= previous || ++depth > FilterProgram::kMaxDepth) return Malformed(), false;
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

int Compiler::BuildIn(uint32_t offset, int a, uint16_t list, int depth) {
  Instruction ins;
  ins.op = Op::kIn;
  ins.a = a;
  if (list == 0 || !BuildList(offset, list, depth, ins.args)) return status_ ? -1 : Malformed();
  for (int item : ins.args) {
    CmpKind kind;
    if (!PickCompare(ClassOfSlot(a), ClassOfSlot(item), kind)) return Mismatch();
    ins.argCmp.push_back(kind);
  }
  ins.cmp = canEQ;
  return Emit(std::move(ins), fldBOOL);
}

int Compiler::BuildFunction(uint32_t offset, int depth) {
  uint32_t cls, op;
  if (!NodeHeader(offset, 2, cls, op)) return Malformed();
  const char* name = LiteralString(Operand(offset, 0));
  if (!name) return Malformed();
  std::vector<int> args;
  if (!BuildList(offset, Operand(offset, 1), depth, args)) return -1;
  auto is = [&](const char* n) { return IsAsciiAlphaEqualIgnoreCase(name, n); };
  auto argClass = [&](size_t i) { return i < args.size() ? ClassOfSlot(args[i]) : VClass::kNone; };
  // The arguments become the left, right and third operand.
  Instruction ins;
  if (args.size() > 0) ins.a = args[0];
  if (args.size() > 1) ins.b = args[1];
  if (args.size() > 2) ins.c = args[2];
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

// «field like 'constant'» alone: the one instruction reads a field of the record.
uint32_t Compiler::FindSearchField() const {
  const std::vector<Instruction>& code = program_.code;
  if (code.size() != 1 || code[0].op != Op::kLikeString || !code[0].patternIsConstant) return 0;
  const Slot& field = program_.slots[code[0].a];
  return field.where == Slot::kRecord ? field.fieldNumber : 0;
}

}  // namespace

DBResult Compile(const uint8_t* expr, size_t size, const FieldDescriptor* fields, size_t fieldCount,
                 uint32_t locale, Program& program) {
  program.locale = locale;
  return Compiler(fields, fieldCount, program).Compile(expr, size);
}

}  // namespace dsengine::filtercode
