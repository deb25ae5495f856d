// TFilterExpr: owns the parse tree of a filter and writes its canonical expression
// (layout in exprblock.h).
#include <cstring>

#include "tableengine/DBCommon.h"
#include "tableengine/exprblock.h"
#include "tableengine/exprvalues.h"

namespace db {

using namespace dsengine;

namespace {

constexpr char kCannotUseField[] = "Field '%s' cannot be used in a filter expression";
constexpr char kNullOnlyWithEq[] = "NULL only allowed with '=' and '<>'";
constexpr char kOutOfRange[] = "Constant out of range";
constexpr char kNotCorrectType[] = "Constant is not correct type %s";
constexpr char kInvalidInteger[] = "'%s' is not a valid integer value";
constexpr char kInvalidFloat[] = "'%s' is not a valid floating point value";
constexpr char kInvalidBoolean[] = "'%s' is not a valid Boolean value";
constexpr char kInvalidBcd[] = "'%s' is not a valid BCD value";
constexpr char kInvalidDate[] = "'%s' is not a valid date";
constexpr char kInvalidTime[] = "'%s' is not a valid time";
constexpr char kInvalidDateTime[] = "'%s' is not a valid date and time";
constexpr char kTooComplex[] = "Filter expression too complex";

constexpr size_t kMaxStringConstant = 255;  // characters of a string constant written
constexpr int kBcdPrecision = 32;           // precision of ftBCD constants

bool IsStringType(TFieldType t) {
  return t == ftString || t == ftFixedChar || t == ftWideString || t == ftGuid;
}

uint32_t Mirror(uint32_t op) {
  switch (op) {
    case canGT:
      return canLT;
    case canLT:
      return canGT;
    case canGE:
      return canLE;
    case canLE:
      return canGE;
    default:
      return op;
  }
}

void PutLE(uint8_t* p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

TFilterExpr::TFilterExpr(TFilterOptions filterOptions, TParserOptions parserOptions,
                         std::string_view fieldName, char decimalSeparator)
    : filterOptions_(filterOptions),
      parserOptions_(parserOptions),
      fieldName_(fieldName),
      decimalSeparator_(decimalSeparator) {}

TExprNode* TFilterExpr::NewNode(TExprNodeKind kind, uint32_t op, std::string value, TExprNode* left,
                                TExprNode* right) {
  auto node = std::make_unique<TExprNode>();
  node->kind = kind;
  node->op = op;
  node->value = std::move(value);
  node->left = left;
  node->right = right;
  nodes_.push_back(std::move(node));
  return nodes_.back().get();
}

bool TFilterExpr::Fail(std::string message, TExprError::Class errorClass) {
  if (error_->errorClass == TExprError::kNone) {
    error_->errorClass = errorClass;
    error_->message = std::move(message);
  }
  return false;
}

bool TFilterExpr::GetFilterData(TExprNode* root, std::vector<uint8_t>& block, TExprError& error) {
  error_ = &error;
  block_.assign(kExprHeaderSize, 0);
  nodeAreaSize_ = 0;
  overflow_ = false;
  uint16_t rootOffset;
  if (!WriteBoolOperand(root, rootOffset)) return false;
  if (overflow_) return Fail(kTooComplex);
  PutLE(&block_[0], kExprVersion, 2);
  PutLE(&block_[2], block_.size(), 2);
  PutLE(&block_[4], kExprMarker, 2);
  PutLE(&block_[6], kExprHeaderSize, 2);
  PutLE(&block_[8], kExprHeaderSize + nodeAreaSize_, 2);
  block = std::move(block_);
  return true;
}

// Inserts a node at the end of the node area (before the literal area) and returns its offset.
uint16_t TFilterExpr::BeginNode(uint32_t nodeClass, uint32_t op, int operandCount) {
  size_t size = kExprNodeHeaderSize + 2 * operandCount;
  if (overflow_ || block_.size() + size > kExprMaxBlockSize) {
    overflow_ = true;
    return 0;
  }
  uint16_t offset = static_cast<uint16_t>(nodeAreaSize_);
  uint8_t node[kExprNodeHeaderSize + 2 * 4] = {};
  PutLE(node, nodeClass, 4);
  PutLE(node + 4, op, 4);
  block_.insert(block_.begin() + kExprHeaderSize + nodeAreaSize_, node, node + size);
  nodeAreaSize_ += static_cast<uint32_t>(size);
  return offset;
}

void TFilterExpr::SetOperand(uint16_t node, int index, uint32_t value) {
  if (overflow_) return;
  PutLE(&block_[kExprHeaderSize + node + kExprNodeHeaderSize + 2 * index], value, 2);
}

uint16_t TFilterExpr::AppendLiteral(const void* data, size_t size) {
  if (overflow_ || block_.size() + size > kExprMaxBlockSize) {
    overflow_ = true;
    return 0;
  }
  uint16_t offset = static_cast<uint16_t>(block_.size() - kExprHeaderSize - nodeAreaSize_);
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  block_.insert(block_.end(), bytes, bytes + size);
  return offset;
}

// A boolean field standing alone is written as "field <> false".
bool TFilterExpr::WriteBoolOperand(const TExprNode* node, uint16_t& offset) {
  if (node->kind != enField || node->dataType != ftBoolean) return WriteNode(node, offset);
  offset = BeginNode(nodeBINARY, canNE, 2);
  uint16_t left, right;
  if (!WriteField(node, left) || !WriteFalseConstant(right)) return false;
  SetOperand(offset, 0, left);
  SetOperand(offset, 1, right);
  return true;
}

bool TFilterExpr::WriteNode(const TExprNode* node, uint16_t& offset) {
  switch (node->kind) {
    case enField:
      return WriteField(node, offset);
    case enConst:
      return WriteConstant(node, node->value, offset);
    case enFunc: {
      offset = BeginNode(nodeFUNC, canFUNC, 2);
      SetOperand(offset, 0, AppendLiteral(node->value.c_str(), node->value.size() + 1));
      uint16_t first = 0;
      if (!WriteList(node->args, first)) return false;
      SetOperand(offset, 1, first);
      return true;
    }
    case enOperator:
      break;
  }
  uint16_t left = 0, right = 0;
  switch (node->op) {
    case canISBLANK:
    case canNOTBLANK:
    case canNOT:
      offset = BeginNode(nodeUNARY, node->op, 1);
      if (!(node->op == canNOT ? WriteBoolOperand(node->left, left) : WriteNode(node->left, left)))
        return false;
      SetOperand(offset, 0, left);
      return true;
    case canAND:
    case canOR:
      offset = BeginNode(nodeBINARY, node->op, 2);
      if (!WriteBoolOperand(node->left, left) || !WriteBoolOperand(node->right, right))
        return false;
      break;
    case canIN:
      offset = BeginNode(nodeBINARY, node->op, 2);
      if (!WriteNode(node->left, left) || !WriteList(node->args, right)) return false;
      break;
    case canEQ:
    case canNE:
    case canGT:
    case canLT:
    case canGE:
    case canLE:
    case canLIKE:
      return WriteComparison(node, offset);
    default:  // arithmetic, assign
      offset = BeginNode(nodeBINARY, node->op, 2);
      if (!WriteNode(node->left, left) || !WriteNode(node->right, right)) return false;
      break;
  }
  SetOperand(offset, 0, left);
  SetOperand(offset, 1, right);
  return true;
}

bool TFilterExpr::WriteComparison(const TExprNode* node, uint16_t& offset) {
  const TExprNode* l = node->left;
  const TExprNode* r = node->right;
  uint32_t op = node->op;
  if (op != canLIKE && l->kind == enConst && r->kind == enField) {
    std::swap(l, r);
    op = Mirror(op);
  }
  uint16_t left, right;
  if (l->kind == enField && r->kind == enConst && (op == canEQ || op == canNE || op == canLIKE)) {
    if (r->isNull) {
      if (op == canLIKE) return Fail(kNullOnlyWithEq);
      offset = BeginNode(nodeUNARY, op == canEQ ? canISBLANK : canNOTBLANK, 1);
      if (!WriteField(l, left)) return false;
      SetOperand(offset, 0, left);
      return true;
    }
    if (IsStringType(r->dataType) && !r->value.empty()) {
      std::string text = r->value;
      size_t partial = 0;
      if (!(filterOptions_ & foNoPartialCompare) && text.size() > 1 && text.back() == '*') {
        text.pop_back();
        partial = std::min(text.size(), kMaxStringConstant);
      }
      bool caseInsensitive = (filterOptions_ & foCaseInsensitive) != 0;
      if (caseInsensitive || partial != 0) {
        offset = BeginNode(nodeCOMPARE, op, 4);
        if (!WriteField(l, left) || !WriteConstant(r, text, right)) return false;
        SetOperand(offset, 0, caseInsensitive ? 1 : 0);
        SetOperand(offset, 1, static_cast<uint32_t>(partial));
        SetOperand(offset, 2, left);
        SetOperand(offset, 3, right);
        return true;
      }
    }
  }
  offset = BeginNode(nodeBINARY, op, 2);
  if (!WriteNode(l, left) || !WriteNode(r, right)) return false;
  SetOperand(offset, 0, left);
  SetOperand(offset, 1, right);
  return true;
}

bool TFilterExpr::WriteList(const std::vector<TExprNode*>& items, uint16_t& first) {
  first = 0;
  uint16_t previous = 0;
  bool hasPrevious = false;
  for (const TExprNode* item : items) {
    uint16_t list = BeginNode(nodeLISTELEM, canLISTELEM, 2);
    if (hasPrevious)
      SetOperand(previous, 1, list);
    else
      first = list;
    uint16_t element;
    if (!WriteNode(item, element)) return false;
    SetOperand(list, 0, element);
    previous = list;
    hasPrevious = true;
  }
  return true;
}

bool TFilterExpr::WriteField(const TExprNode* node, uint16_t& offset) {
  const TExprField* field = node->field;
  if (field->kind != fkData && field->kind != fkInternalCalc)
    return Fail(FormatMessage1(kCannotUseField, field->name));
  const std::string& name = (parserOptions_ & poFieldNameGiven) ? field->name : node->value;
  offset = BeginNode(nodeFIELD, canFIELD, 2);
  SetOperand(offset, 0, static_cast<uint32_t>(field->fieldNo));
  SetOperand(offset, 1, AppendLiteral(name.c_str(), name.size() + 1));
  return true;
}

bool TFilterExpr::WriteFalseConstant(uint16_t& offset) {
  offset = BeginNode(nodeCONST, canCONST, 3);
  uint8_t value[2] = {0, 0};
  SetOperand(offset, 0, fldBOOL);
  SetOperand(offset, 1, 2);
  SetOperand(offset, 2, AppendLiteral(value, 2));
  return true;
}

bool TFilterExpr::WriteConstant(const TExprNode* node, std::string_view text, uint16_t& offset) {
  offset = BeginNode(nodeCONST, canCONST, 3);
  TFieldType type = node->dataType;
  uint32_t typeCode = EngineTypeOf(type).type;
  uint8_t buffer[kBcdSize > kTimeStampSize ? kBcdSize : kTimeStampSize] = {};
  std::string stringValue;
  const void* data = buffer;
  size_t size = 0;
  auto convertError = [&](const char* format) {
    return Fail(FormatMessage1(format, text), TExprError::kConvertError);
  };
  if (node->isNull) {
    // NULL where no blank test can take it: a constant without a value.
  } else if (IsStringType(type)) {
    stringValue.assign(text.substr(0, kMaxStringConstant));
    stringValue.push_back('\0');
    data = stringValue.data();
    size = stringValue.size();
    typeCode = fldZSTRING;
  } else if (type == ftSmallint || type == ftWord || type == ftInteger || type == ftAutoInc) {
    int64_t v;
    if (!TextToInteger(text, v)) return convertError(kInvalidInteger);
    if ((type == ftSmallint && (v < -32768 || v > 32767)) ||
        (type == ftWord && (v < 0 || v > 65535)))
      return Fail(kOutOfRange);
    size = type == ftSmallint || type == ftWord ? 2 : 4;
    PutLE(buffer, static_cast<uint64_t>(v), static_cast<int>(size));
  } else if (type == ftBoolean) {
    bool v;
    if (!TextToBoolean(text, decimalSeparator_, v)) return convertError(kInvalidBoolean);
    size = 2;
    buffer[0] = v ? 1 : 0;
  } else if (type == ftFloat || type == ftCurrency) {
    double v;
    if (!TextToFloat(text, decimalSeparator_, v)) return convertError(kInvalidFloat);
    size = sizeof v;
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof v);
    PutLE(buffer, bits, 8);
  } else if (type == ftBCD || type == ftFMTBcd) {
    if (!TextToBcd(text, decimalSeparator_, type == ftBCD ? kBcdPrecision : 0, buffer))
      return convertError(kInvalidBcd);
    size = kBcdSize;
    typeCode = EngineTypeOf(ftBCD).type;
  } else if (type == ftDate || type == ftTime) {
    int32_t v;
    bool ok = type == ftDate ? TextToDate(text, v) : TextToTime(text, v);
    if (!ok) return convertError(type == ftDate ? kInvalidDate : kInvalidTime);
    size = 4;
    PutLE(buffer, static_cast<uint32_t>(v), 4);
  } else if (type == ftDateTime || type == ftTimeStamp) {
    double v;
    if (!TextToDateTime(text, v)) return convertError(kInvalidDateTime);
    if (type == ftDateTime) {
      size = sizeof v;
      uint64_t bits;
      std::memcpy(&bits, &v, sizeof v);
      PutLE(buffer, bits, 8);
    } else {
      MsToTimeStamp(v, buffer);
      size = kTimeStampSize;
    }
  } else {
    return Fail(FormatMessage1(kNotCorrectType, FieldTypeName(type)));
  }
  SetOperand(offset, 0, typeCode);
  SetOperand(offset, 1, static_cast<uint32_t>(size));
  SetOperand(offset, 2, AppendLiteral(data, size));
  return true;
}

}  // namespace db
