// The filter expression parser: TExprParser reads a filter text, TFilterExpr owns the parse
// tree and writes the canonical expression (exprblock.h) that the engine's add-filter takes.
// Used by the client dataset facade. A parser object is used from one thread; nothing is shared.
// The parser reports failures as a result (message and class); the facade raises them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tableengine/fieldtypes.h"

namespace db {

enum TFilterOption : uint8_t { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = uint8_t;

enum TParserOption : uint8_t {
  poExtendedSyntax = 1,  // arithmetic and functions allowed; a filter uses this option alone
  poAggregate = 2,       // aggregate expression
  poDefaultExpr = 4,     // default-value expression
  poFieldNameGiven = 8,  // the expression belongs to one given field
  poUseOrigNames = 16,   // match the fields' original names first
  poFieldDepend = 32,    // record which fields the expression uses
};
using TParserOptions = uint8_t;

// One field of the dataset, as the parser sees it.
struct TExprField {
  std::string name;
  std::string originName;  // the field's original name, for poUseOrigNames
  int fieldNo = 0;         // 1-based
  TFieldType dataType = ftUnknown;
  int size = 0;
  TFieldKind kind = fkData;
};

// The dataset whose fields a filter names. The facade implements it over its fields.
class IExprDataSet {
 public:
  virtual ~IExprDataSet() = default;
  virtual std::string_view ComponentName() const = 0;  // "cdsMain": prefix of look-up errors
  virtual int FieldCount() const = 0;
  virtual const TExprField& Field(int index) const = 0;  // 0-based
};

// A fixed list of fields; for tests, tools and fuzzing.
class TExprFieldList : public IExprDataSet {
 public:
  TExprFieldList(std::string componentName, std::vector<TExprField> fields)
      : name_(std::move(componentName)), fields_(std::move(fields)) {}
  std::string_view ComponentName() const override { return name_; }
  int FieldCount() const override { return static_cast<int>(fields_.size()); }
  const TExprField& Field(int index) const override { return fields_[index]; }

 private:
  std::string name_;
  std::vector<TExprField> fields_;
};

// A failed parse: the exact message, and whether the framework raises it as a database error
// (EDatabaseError) or as a conversion error (EConvertError).
struct TExprError {
  enum Class : uint8_t { kNone, kDatabaseError, kConvertError };
  Class errorClass = kNone;
  std::string message;
};

enum TExprNodeKind : uint8_t { enField, enConst, enOperator, enFunc };
enum TExprScope : uint8_t { esRecord, esAggregate, esConstant };

struct TExprNode {
  TExprNodeKind kind = enConst;
  uint32_t op = 0;          // operator code (exprblock.h)
  std::string value;        // field name, constant text or function name
  bool isNull = false;      // the NULL constant
  bool isBoolWord = false;  // a constant from the true or false word
  TExprNode* left = nullptr;
  TExprNode* right = nullptr;
  std::vector<TExprNode*> args;  // IN list or function arguments
  TFieldType dataType = ftUnknown;
  int dataSize = 0;
  TExprScope scope = esConstant;
  const TExprField* field = nullptr;  // resolved field of a field reference
  int depth = 1;                      // height of the subtree
};

// Owns the nodes of one parse and writes the canonical expression.
class TFilterExpr {
 public:
  TFilterExpr(TFilterOptions filterOptions, TParserOptions parserOptions,
              std::string_view fieldName, char decimalSeparator);

  TExprNode* NewNode(TExprNodeKind kind, uint32_t op, std::string value, TExprNode* left,
                     TExprNode* right);
  // Writes the block for `root`. False, with `error` set, when a node cannot be written.
  bool GetFilterData(TExprNode* root, std::vector<uint8_t>& block, TExprError& error);

 private:
  bool Fail(std::string message, TExprError::Class errorClass = TExprError::kDatabaseError);
  uint16_t BeginNode(uint32_t nodeClass, uint32_t op, int operandCount);
  void SetOperand(uint16_t node, int index, uint32_t value);
  uint16_t AppendLiteral(const void* data, size_t size);
  bool WriteNode(const TExprNode* node, uint16_t& offset);
  bool WriteBoolOperand(const TExprNode* node, uint16_t& offset);
  bool WriteField(const TExprNode* node, uint16_t& offset);
  bool WriteConstant(const TExprNode* node, std::string_view text, uint16_t& offset);
  bool WriteFalseConstant(uint16_t& offset);
  bool WriteComparison(const TExprNode* node, uint16_t& offset);
  bool WriteList(const std::vector<TExprNode*>& items, uint16_t& first);

  TFilterOptions filterOptions_;
  TParserOptions parserOptions_;
  std::string fieldName_;
  char decimalSeparator_;
  std::vector<std::unique_ptr<TExprNode>> nodes_;
  // Writing state.
  std::vector<uint8_t> block_;
  uint32_t nodeAreaSize_ = 0;
  TExprError* error_ = nullptr;
  bool overflow_ = false;
};

// Tokenizer and recursive-descent parser. Parsing happens in the constructor.
class TExprParser {
 public:
  // Token kinds.
  enum TokenKind : uint8_t {
    etEnd,
    etSymbol,
    etName,
    etLiteral,
    etLParen,
    etRParen,
    etEQ,
    etNE,
    etGE,
    etLE,
    etGT,
    etLT,
    etADD,
    etSUB,
    etMUL,
    etDIV,
    etComma,
    etLIKE,
    etISNULL,
    etISNOTNULL,
    etIN
  };

  // Limits on hostile input: nesting beyond these depths is refused, so neither the parser nor
  // the block writer nor the engine's program builder can exhaust the stack.
  static constexpr int kMaxNesting = 200;
  static constexpr int kMaxTreeDepth = 400;

  TExprParser(const IExprDataSet& dataSet, std::string_view text, TFilterOptions filterOptions,
              TParserOptions parserOptions = poExtendedSyntax, std::string_view fieldName = {},
              std::vector<bool>* dependencies = nullptr, char decimalSeparator = '.');

  bool Ok() const { return error_.errorClass == TExprError::kNone; }
  const TExprError& Error() const { return error_; }
  const uint8_t* FilterData() const { return block_.data(); }
  uint16_t DataSize() const { return static_cast<uint16_t>(block_.size()); }
  const std::vector<uint8_t>& Block() const { return block_; }

 private:
  // Tokenizer.
  bool NextToken();
  bool ReadStringLiteral(size_t& p);
  bool QuoteKeepsLiteralOpen(size_t afterQuote) const;
  bool ReadSymbol(size_t& p);
  std::string TokenDisplay() const;
  // Grammar.
  TExprNode* ParseExpr();
  TExprNode* ParseAnd();
  TExprNode* ParseNot();
  TExprNode* ParsePredicate();
  TExprNode* ParseIn(TExprNode* left);
  TExprNode* ParseSum();
  TExprNode* ParseProduct();
  TExprNode* ParsePrimary();
  TExprNode* ParseFunction(const std::string& name);
  bool ParseArguments(std::vector<TExprNode*>& items);
  TExprNode* NewFieldRef(const std::string& name);
  // Typing.
  TExprNode* NewBinary(uint32_t op, TExprNode* left, TExprNode* right);
  bool TypePredicate(uint32_t op, TExprNode* left, TExprNode* right);
  bool TypeArithmetic(TExprNode* node);
  bool Combine(TExprNode* node, const TExprNode* operand);
  TExprNode* Fail(std::string message, TExprError::Class errorClass = TExprError::kDatabaseError);
  TExprNode* FailToken(std::string_view format);

  const IExprDataSet& dataSet_;
  std::string text_;  // NUL-terminated copy of the filter text
  TParserOptions parserOptions_;
  std::vector<bool>* dependencies_;
  char decimalSeparator_;
  TFilterExpr filter_;
  // Current token.
  size_t pos_ = 0;
  TokenKind token_ = etEnd;
  TokenKind previous_ = etEnd;
  std::string tokenText_;
  bool tokenNumeric_ = false;
  size_t tokenStart_ = 0;
  int nesting_ = 0;
  TExprError error_;
  std::vector<uint8_t> block_;
};

}  // namespace db
