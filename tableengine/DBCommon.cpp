// Filter text tokenizer and recursive-descent parser (TExprParser).
// The block writer (TFilterExpr) lives in exprwriter.cpp.
#include "tableengine/DBCommon.h"

#include <algorithm>
#include <cstring>

#include "platform/asciitext.h"
#include "tableengine/exprblock.h"
#include "tableengine/exprvalues.h"

namespace db {

using namespace dsengine;

namespace {

// Texts of the parser's messages.
constexpr char kInvalidChar[] = "Invalid filter expression character: '%s'";
constexpr char kUnterminatedString[] = "Unterminated string constant";
constexpr char kUnterminatedName[] = "Unterminated field name";
constexpr char kInvalidKeyword[] = "Invalid use of keyword";
constexpr char kExpressionExpected[] = "Expression expected but %s found";
constexpr char kLParenExpected[] = "'(' expected but %s found";
constexpr char kRParenExpected[] = "')' expected but %s found";
constexpr char kRParenOrCommaExpected[] = "')' or ',' expected but %s found";
constexpr char kEmptyInList[] = "IN predicate list may not be empty";
constexpr char kBadTermination[] = "Filter expression incorrectly terminated";
constexpr char kNotBoolean[] = "Incorrectly formed filter expression";
constexpr char kNoArithmetic[] = "Arithmetic in filter expressions not supported";
constexpr char kTypeMismatch[] = "Type mismatch in expression";
constexpr char kMixedScope[] = "Operation cannot mix aggregate value with record-varying value";
constexpr char kAggregateInFilter[] = "Aggregate expressions not allowed in filters";
constexpr char kNotAggregate[] = "Expression is not an aggregate expression";
constexpr char kFieldNotFound[] = "Field '%s' not found";
constexpr char kTooComplex[] = "Filter expression too complex";
constexpr char kNothing[] = "nothing";  // resource word shown for the end of the text
constexpr char kTrueWord[] = "True";    // resource strings of the boolean words
constexpr char kFalseWord[] = "False";

constexpr size_t kMaxLiteralLength = 256;  // characters of a string literal kept

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c != 0 && static_cast<unsigned char>(c) < '!'; }

bool IsSymbolStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return IsLetter(c) || c == '_' || (u >= 0x81 && u <= 0xFE);
}
bool IsSymbolChar(char c) {
  return IsLetter(c) || IsDigit(c) || c == '.' || c == '[' || c == ']' || c == '_';
}

constexpr const char* kFunctionNames[] = {"UPPER",     "LOWER",  "SUBSTRING", "TRIM", "TRIMLEFT",
                                          "TRIMRIGHT", "YEAR",   "MONTH",     "DAY",  "HOUR",
                                          "MINUTE",    "SECOND", "GETDATE",   "DATE", "TIME",
                                          "SUM",       "MIN",    "MAX",       "AVG",  "COUNT"};

bool IsFunctionName(std::string_view name) {
  for (const char* f : kFunctionNames)
    if (platform::EqualsAsciiNoCase(name, f)) return true;
  return false;
}

bool IsAggregateName(std::string_view name) {
  return platform::EqualsAsciiNoCase(name, "SUM") || platform::EqualsAsciiNoCase(name, "MIN") ||
         platform::EqualsAsciiNoCase(name, "MAX") || platform::EqualsAsciiNoCase(name, "AVG") ||
         platform::EqualsAsciiNoCase(name, "COUNT") ||
         platform::EqualsAsciiNoCase(name, "COUNT(*)");
}

bool IsIncomparable(TFieldType t) {
  switch (t) {
    case ftBytes:
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
      return true;
    default:
      return false;
  }
}

bool IsTemporal(TFieldType t) {
  return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}
bool IsStringType(TFieldType t) {
  return t == ftString || t == ftFixedChar || t == ftWideString || t == ftGuid;
}
bool IsNumeric(TFieldType t) {
  switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

TExprParser::TExprParser(const IExprDataSet& dataSet, std::string_view text,
                         TFilterOptions filterOptions, TParserOptions parserOptions,
                         std::string_view fieldName, std::vector<bool>* dependencies,
                         char decimalSeparator)
    : dataSet_(dataSet),
      text_(text.substr(0, std::min(text.size(), text.find('\0')))),
      parserOptions_(parserOptions),
      dependencies_(dependencies),
      decimalSeparator_(decimalSeparator),
      filter_(filterOptions, parserOptions, fieldName, decimalSeparator) {
  if (!NextToken()) return;
  TExprNode* root = ParseExpr();
  if (!root) return;
  if (token_ != etEnd) {
    Fail(kBadTermination);
    return;
  }
  if (parserOptions_ & poAggregate) {
    if (root->scope != esAggregate) {
      Fail(kNotAggregate);
      return;
    }
  } else if (!(parserOptions_ & poDefaultExpr)) {
    if (root->dataType != ftBoolean) {
      Fail(kNotBoolean);
      return;
    }
    if (root->scope == esAggregate) {
      Fail(kAggregateInFilter);
      return;
    }
  }
  if (!filter_.GetFilterData(root, block_, error_)) block_.clear();
}

TExprNode* TExprParser::Fail(std::string message, TExprError::Class errorClass) {
  if (error_.errorClass == TExprError::kNone) {
    error_.errorClass = errorClass;
    error_.message = std::move(message);
  }
  return nullptr;
}

TExprNode* TExprParser::FailToken(std::string_view format) {
  return Fail(FormatMessage1(format, TokenDisplay()));
}

std::string TExprParser::TokenDisplay() const {
  if (token_ == etEnd) return kNothing;
  return "'" + text_.substr(tokenStart_, pos_ - tokenStart_) + "'";
}

// ---------------------------------------------------------------------------------------------
// Tokenizer

bool TExprParser::NextToken() {
  previous_ = token_;
  tokenText_.clear();
  tokenNumeric_ = false;
  const char* t = text_.c_str();
  size_t p = pos_;
  while (IsBlank(t[p])) ++p;
  if (t[p] == '/' && t[p + 1] == '*') {
    p += 2;
    while (t[p] != 0 && t[p] != '*') ++p;
    if (t[p] == '*' && t[p + 1] == '/') {
      p += 2;
    } else {
      pos_ = p;
      Fail(FormatMessage1(kInvalidChar, std::string_view(t + p, t[p] ? 1 : 0)));
      return false;
    }
  }
  tokenStart_ = p;
  char c = t[p];
  switch (c) {
    case 0:
      token_ = etEnd;
      break;
    case '\'':
      if (!ReadStringLiteral(p)) return false;
      token_ = etLiteral;
      break;
    case '(':
      token_ = etLParen, ++p;
      break;
    case ')':
      token_ = etRParen, ++p;
      break;
    case '*':
      token_ = etMUL, ++p;
      break;
    case '+':
      token_ = etADD, ++p;
      break;
    case ',':
      token_ = etComma, ++p;
      break;
    case '/':
      token_ = etDIV, ++p;
      break;
    case '=':
      token_ = etEQ, ++p;
      break;
    case '<':
      ++p;
      if (t[p] == '=')
        token_ = etLE, ++p;
      else if (t[p] == '>')
        token_ = etNE, ++p;
      else
        token_ = etLT;
      break;
    case '>':
      ++p;
      if (t[p] == '=')
        token_ = etGE, ++p;
      else
        token_ = etGT;
      break;
    case '[': {
      const char* close = std::strchr(t + p + 1, ']');
      if (!close) {
        pos_ = p;
        Fail(kUnterminatedName);
        return false;
      }
      tokenText_.assign(t + p + 1, close);
      p = close - t + 1;
      token_ = etName;
      break;
    }
    default:
      if (c == '-' || IsDigit(c)) {
        if (previous_ == etSymbol || previous_ == etName || previous_ == etLiteral ||
            previous_ == etRParen) {
          // After an operand a "-" (or even a digit) is the minus operator.
          ++p;
          token_ = etSUB;
          break;
        }
        size_t start = p++;
        while (t[p] != 0 && (std::strchr("+-0123456789Ee", t[p]) || t[p] == decimalSeparator_)) ++p;
        if (decimalSeparator_ == ',' && t[p - 1] == ',' && t[p] == ' ') --p;
        tokenText_.assign(t + start, t + p);
        tokenNumeric_ = true;
        token_ = etLiteral;
      } else if (IsSymbolStart(c)) {
        if (!ReadSymbol(p)) return false;
      } else {
        pos_ = p;
        Fail(FormatMessage1(kInvalidChar, std::string_view(t + p, 1)));
        return false;
      }
  }
  pos_ = p;
  return true;
}

bool TExprParser::ReadSymbol(size_t& p) {
  const char* t = text_.c_str();
  size_t start = p++;
  while (IsSymbolChar(t[p])) ++p;
  tokenText_.assign(t + start, t + p);
  if (platform::EqualsAsciiNoCase(tokenText_, "LIKE")) {
    token_ = etLIKE;
  } else if (platform::EqualsAsciiNoCase(tokenText_, "IN")) {
    token_ = etIN;
  } else if (platform::EqualsAsciiNoCase(tokenText_, "IS")) {
    auto nextWord = [&](std::string& word) {
      while (IsBlank(t[p])) ++p;
      size_t w = p;
      while (IsLetter(t[p])) ++p;
      word.assign(t + w, t + p);
    };
    std::string word;
    nextWord(word);
    if (platform::EqualsAsciiNoCase(word, "NULL")) {
      token_ = etISNULL;
    } else if (platform::EqualsAsciiNoCase(word, "NOT") &&
               (nextWord(word), platform::EqualsAsciiNoCase(word, "NULL"))) {
      token_ = etISNOTNULL;
    } else {
      pos_ = p;
      Fail(kInvalidKeyword);
      return false;
    }
  } else {
    token_ = etSymbol;
  }
  return true;
}

bool TExprParser::ReadStringLiteral(size_t& p) {
  const char* t = text_.c_str();
  ++p;  // opening quote
  for (;;) {
    char c = t[p];
    if (c == 0) {
      pos_ = p;
      Fail(kUnterminatedString);
      return false;
    }
    if (c == '\'') {
      if (t[p + 1] == '\'') {
        p += 2;
      } else if (QuoteKeepsLiteralOpen(p + 1)) {
        ++p;
      } else {
        ++p;
        return true;
      }
    } else {
      ++p;
    }
    if (tokenText_.size() < kMaxLiteralLength) tokenText_ += c;
  }
}

// Decides whether a single quote inside a literal is an ordinary character: only when another
// quote follows somewhere and the text right behind it reads as a plain word (as in «it's»).
bool TExprParser::QuoteKeepsLiteralOpen(size_t q) const {
  const char* t = text_.c_str();
  if (!std::strchr(t + q, '\'')) return false;
  while (t[q] == ' ' || t[q] == ')') ++q;
  bool dot = false;
  for (;; ++q) {
    char c = t[q];
    if (c == ' ' || c == '\r' || c == '\n' || c == '(' || c == ',') continue;
    if (c == '.') {
      dot = true;
      continue;
    }
    break;
  }
  char c = t[q];
  if (c == 0 || IsDigit(c) || c == '<' || c == '=' || c == '>') return false;
  size_t start = q;
  for (; t[q] != 0 && !std::strchr(" \r\n(,", t[q]); ++q) {
    c = t[q];
    if (c == '.') return false;  // qualified name
    if ((c == '/' && t[q + 1] == '*') || (c == '/' && t[q + 1] == '/')) return false;  // comment
    if ((c == '\'' || c == '"' || c == '`') && std::strchr(t + q + 1, c))
      return dot;  // a quoted value, or a plain word after a dot
  }
  if (dot) return true;
  std::string_view word(t + start, q - start);
  static constexpr const char* kKeywords[] = {"ASC",   "ASCENDING", "DESC",  "DESCENDING", "SELECT",
                                              "AND",   "OR",        "LIKE",  "IS",         "FROM",
                                              "WHERE", "HAVING",    "UNION", "PLAN",       "NULL"};
  for (const char* k : kKeywords)
    if (platform::EqualsAsciiNoCase(word, k)) return false;
  auto followedBy = [&](const char* next) {
    size_t r = q;
    while (t[r] == ' ' || t[r] == '\r' || t[r] == '\n') ++r;
    size_t w = r;
    while (IsLetter(t[r])) ++r;
    return platform::EqualsAsciiNoCase(std::string_view(t + w, r - w), next);
  };
  if ((platform::EqualsAsciiNoCase(word, "GROUP") || platform::EqualsAsciiNoCase(word, "ORDER")) &&
      followedBy("BY"))
    return false;
  if (platform::EqualsAsciiNoCase(word, "FOR") && followedBy("UPDATE")) return false;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Grammar

TExprNode* TExprParser::ParseExpr() {
  TExprNode* left = ParseAnd();
  while (left && token_ == etSymbol && platform::EqualsAsciiNoCase(tokenText_, "OR")) {
    if (!NextToken()) return nullptr;
    TExprNode* right = ParseAnd();
    if (!right) return nullptr;
    left = NewBinary(canOR, left, right);
    if (left) left->dataType = ftBoolean;
  }
  return left;
}

TExprNode* TExprParser::ParseAnd() {
  TExprNode* left = ParseNot();
  while (left && token_ == etSymbol && platform::EqualsAsciiNoCase(tokenText_, "AND")) {
    if (!NextToken()) return nullptr;
    TExprNode* right = ParseNot();
    if (!right) return nullptr;
    left = NewBinary(canAND, left, right);
    if (left) left->dataType = ftBoolean;
  }
  return left;
}

TExprNode* TExprParser::ParseNot() {
  if (token_ == etSymbol && platform::EqualsAsciiNoCase(tokenText_, "NOT")) {
    if (!NextToken()) return nullptr;
    TExprNode* operand = ParsePredicate();
    if (!operand) return nullptr;
    TExprNode* node = NewBinary(canNOT, operand, nullptr);
    if (node) node->dataType = ftBoolean;
    return node;
  }
  return ParsePredicate();
}

TExprNode* TExprParser::ParsePredicate() {
  TExprNode* left = ParseSum();
  if (!left) return nullptr;
  uint32_t op;
  switch (token_) {
    case etEQ:
      op = canEQ;
      break;
    case etNE:
      op = canNE;
      break;
    case etGE:
      op = canGE;
      break;
    case etLE:
      op = canLE;
      break;
    case etGT:
      op = canGT;
      break;
    case etLT:
      op = canLT;
      break;
    case etLIKE:
      op = canLIKE;
      break;
    case etISNULL:
    case etISNOTNULL: {
      uint32_t unary = token_ == etISNULL ? canISBLANK : canNOTBLANK;
      if (!NextToken()) return nullptr;
      TExprNode* node = NewBinary(unary, left, nullptr);
      if (node) node->dataType = ftBoolean;
      return node;
    }
    case etIN:
      return ParseIn(left);
    default:
      return left;
  }
  if (!NextToken()) return nullptr;
  TExprNode* right = ParseSum();
  if (!right || !TypePredicate(op, left, right)) return nullptr;
  TExprNode* node = NewBinary(op, left, right);
  if (node) node->dataType = ftBoolean;
  return node;
}

TExprNode* TExprParser::ParseIn(TExprNode* left) {
  if (!NextToken()) return nullptr;
  if (token_ != etLParen) return FailToken(kLParenExpected);
  if (!NextToken()) return nullptr;
  if (token_ == etRParen) return Fail(kEmptyInList);
  std::vector<TExprNode*> items;
  if (!ParseArguments(items)) return nullptr;
  for (TExprNode* item : items)
    if (!TypePredicate(canIN, left, item)) return nullptr;
  TExprNode* node = NewBinary(canIN, left, nullptr);
  if (!node) return nullptr;
  node->dataType = ftBoolean;
  for (TExprNode* item : items) {
    if (!Combine(node, item)) return nullptr;
    node->depth = std::max(node->depth, item->depth + 2);
  }
  if (node->depth > kMaxTreeDepth) return Fail(kTooComplex);
  node->args = std::move(items);
  return node;
}

// Reads "expression { , expression } )" with the current token at the first expression.
bool TExprParser::ParseArguments(std::vector<TExprNode*>& items) {
  for (;;) {
    TExprNode* item = ParseExpr();
    if (!item) return false;
    items.push_back(item);
    if (token_ == etComma) {
      if (!NextToken()) return false;
    } else if (token_ == etRParen) {
      return NextToken();
    } else if (token_ == etEnd) {
      FailToken(kRParenExpected);
      return false;
    } else {
      FailToken(kRParenOrCommaExpected);
      return false;
    }
  }
}

TExprNode* TExprParser::ParseSum() {
  TExprNode* left = ParseProduct();
  while (left && (token_ == etADD || token_ == etSUB)) {
    if (!(parserOptions_ & poExtendedSyntax)) return Fail(kNoArithmetic);
    uint32_t op = token_ == etADD ? canADD : canSUB;
    if (!NextToken()) return nullptr;
    TExprNode* right = ParseProduct();
    if (!right) return nullptr;
    left = NewBinary(op, left, right);
    if (left && !TypeArithmetic(left)) return nullptr;
  }
  return left;
}

TExprNode* TExprParser::ParseProduct() {
  TExprNode* left = ParsePrimary();
  while (left && (token_ == etMUL || token_ == etDIV)) {
    if (!(parserOptions_ & poExtendedSyntax)) return Fail(kNoArithmetic);
    uint32_t op = token_ == etMUL ? canMUL : canDIV;
    if (!NextToken()) return nullptr;
    TExprNode* right = ParsePrimary();
    if (!right) return nullptr;
    left = NewBinary(op, left, right);
    if (left && !TypeArithmetic(left)) return nullptr;
  }
  return left;
}

TExprNode* TExprParser::ParsePrimary() {
  if (nesting_ >= kMaxNesting) return Fail(kTooComplex);
  switch (token_) {
    case etSymbol: {
      std::string name = tokenText_;
      size_t after = pos_;
      while (IsBlank(text_[after])) ++after;
      if ((parserOptions_ & poExtendedSyntax) && text_[after] == '(' && IsFunctionName(name))
        return ParseFunction(name);
      if (!NextToken()) return nullptr;
      if (platform::EqualsAsciiNoCase(name, "NULL")) {
        TExprNode* node = filter_.NewNode(enConst, canCONST, std::string(), nullptr, nullptr);
        node->isNull = true;
        return node;
      }
      bool isTrue = platform::EqualsAsciiNoCase(name, kTrueWord);
      if (isTrue || platform::EqualsAsciiNoCase(name, kFalseWord)) {
        TExprNode* node = filter_.NewNode(enConst, canCONST, isTrue ? "1" : "0", nullptr, nullptr);
        node->dataType = ftBoolean;
        node->isBoolWord = true;
        return node;
      }
      return NewFieldRef(name);
    }
    case etName: {
      std::string name = tokenText_;
      if (!NextToken()) return nullptr;
      return NewFieldRef(name);
    }
    case etLiteral: {
      TExprNode* node = filter_.NewNode(enConst, canCONST, tokenText_, nullptr, nullptr);
      node->dataType = tokenNumeric_ ? ftFloat : ftString;
      node->dataSize = static_cast<int>(tokenText_.size());
      if (!NextToken()) return nullptr;
      return node;
    }
    case etLParen: {
      if (!NextToken()) return nullptr;
      ++nesting_;
      TExprNode* node = ParseExpr();
      --nesting_;
      if (!node) return nullptr;
      if (token_ != etRParen) return FailToken(kRParenExpected);
      if (!NextToken()) return nullptr;
      return node;
    }
    default:
      return FailToken(kExpressionExpected);
  }
}

TExprNode* TExprParser::ParseFunction(const std::string& written) {
  if (!NextToken()) return nullptr;  // the name
  if (token_ != etLParen) return FailToken(kLParenExpected);
  if (!NextToken()) return nullptr;
  std::string name = written;
  std::vector<TExprNode*> args;
  if (token_ == etMUL && platform::EqualsAsciiNoCase(name, "COUNT")) {
    if (!NextToken()) return nullptr;
    if (token_ != etRParen) return FailToken(kRParenExpected);
    if (!NextToken()) return nullptr;
    name = "COUNT(*)";
  } else if (token_ == etRParen) {
    if (!NextToken()) return nullptr;
  } else {
    ++nesting_;
    bool ok = ParseArguments(args);
    --nesting_;
    if (!ok) return nullptr;
  }
  bool needsNoArgument = name == "COUNT(*)" || platform::EqualsAsciiNoCase(name, "GETDATE");
  if (args.empty() && !needsNoArgument) return Fail(kTypeMismatch);
  TExprNode* node = filter_.NewNode(enFunc, canFUNC, name, nullptr, nullptr);
  node->scope = esConstant;
  for (TExprNode* arg : args) {
    if (!Combine(node, arg)) return nullptr;
    node->depth = std::max(node->depth, arg->depth + 2);
  }
  if (node->depth > kMaxTreeDepth) return Fail(kTooComplex);
  node->args = std::move(args);
  std::string upper = name;
  for (char& c : upper) c = platform::AsciiUpper(c);
  const TExprNode* first = node->args.empty() ? nullptr : node->args[0];
  if (upper == "UPPER" || upper == "LOWER" || upper == "SUBSTRING" || upper == "TRIM" ||
      upper == "TRIMLEFT" || upper == "TRIMRIGHT") {
    node->dataType = ftString;
    node->dataSize = first->dataSize;
  } else if (upper == "GETDATE") {
    node->dataType = ftDateTime;
  } else if (upper == "DATE") {
    node->dataType = ftDate;
  } else if (upper == "TIME") {
    node->dataType = ftTime;
  } else if (upper == "SUM" || upper == "AVG") {
    node->dataType = ftFloat;
  } else if (upper == "MIN" || upper == "MAX") {
    node->dataType = first->dataType;
    node->dataSize = first->dataSize;
  } else {
    node->dataType = ftInteger;  // YEAR ... SECOND, COUNT
  }
  if (IsAggregateName(upper)) node->scope = esAggregate;
  return node;
}

TExprNode* TExprParser::NewFieldRef(const std::string& name) {
  const TExprField* found = nullptr;
  int count = dataSet_.FieldCount();
  if (parserOptions_ & poUseOrigNames) {
    for (int i = 0; i < count && !found; ++i)
      if (platform::EqualsAsciiNoCase(dataSet_.Field(i).originName, name))
        found = &dataSet_.Field(i);
  }
  for (int i = 0; i < count && !found; ++i)
    if (platform::EqualsAsciiNoCase(dataSet_.Field(i).name, name)) found = &dataSet_.Field(i);
  if (!found) {
    std::string message = FormatMessage1(kFieldNotFound, name);
    if (!dataSet_.ComponentName().empty())
      message = std::string(dataSet_.ComponentName()) + ": " + message;
    return Fail(message);
  }
  if ((parserOptions_ & poFieldDepend) && dependencies_ && found->fieldNo > 0) {
    size_t n = static_cast<size_t>(found->fieldNo);
    if (dependencies_->size() <= n) dependencies_->resize(n + 1);
    (*dependencies_)[n] = true;
  }
  TExprNode* node = filter_.NewNode(enField, canFIELD, name, nullptr, nullptr);
  node->field = found;
  node->dataType = found->dataType;
  node->dataSize = found->size;
  node->scope = esRecord;
  return node;
}

// ---------------------------------------------------------------------------------------------
// Typing

TExprNode* TExprParser::NewBinary(uint32_t op, TExprNode* left, TExprNode* right) {
  TExprNode* node = filter_.NewNode(enOperator, op, std::string(), left, right);
  node->scope = esConstant;
  if (!Combine(node, left) || (right && !Combine(node, right))) return nullptr;
  node->depth = 1 + std::max(left->depth, right ? right->depth : 0);
  if (node->depth > kMaxTreeDepth) return Fail(kTooComplex);
  return node;
}

bool TExprParser::Combine(TExprNode* node, const TExprNode* operand) {
  if ((node->scope == esAggregate && operand->scope == esRecord) ||
      (node->scope == esRecord && operand->scope == esAggregate)) {
    Fail(kMixedScope);
    return false;
  }
  if (operand->scope == esAggregate || node->scope == esConstant) node->scope = operand->scope;
  return true;
}

bool TExprParser::TypePredicate(uint32_t op, TExprNode* left, TExprNode* right) {
  if (left->kind == enField && right->kind == enConst) {
    right->dataType = left->dataType;
    right->dataSize = left->dataSize;
  } else if (right->kind == enField && left->kind == enConst) {
    left->dataType = right->dataType;
    left->dataSize = right->dataSize;
  }
  if (op == canLIKE && IsIncomparable(left->dataType) && left->dataType != ftBytes) {
    if (right->kind == enConst) right->dataType = ftString;
  } else if (IsIncomparable(left->dataType) || IsIncomparable(right->dataType)) {
    Fail(kTypeMismatch);
    return false;
  }
  if (IsTemporal(left->dataType) && IsStringType(right->dataType))
    right->dataType = left->dataType;
  else if (IsTemporal(right->dataType) && IsStringType(left->dataType))
    left->dataType = right->dataType;
  return true;
}

bool TExprParser::TypeArithmetic(TExprNode* node) {
  TExprNode* l = node->left;
  TExprNode* r = node->right;
  TFieldType lt = l->dataType, rt = r->dataType;
  uint32_t op = node->op;
  if (IsNumeric(lt) && IsNumeric(rt)) {
    node->dataType = ftFloat;
  } else if (op == canADD && IsStringType(lt) && IsStringType(rt)) {
    node->dataType = ftString;
    node->dataSize = l->dataSize + r->dataSize;
  } else if (op == canADD && IsTemporal(lt) && IsNumeric(rt)) {
    node->dataType = ftDateTime;
  } else if (op == canSUB && IsTemporal(lt) && IsNumeric(rt)) {
    node->dataType = lt;
  } else if (op == canSUB && IsTemporal(lt) && IsTemporal(rt)) {
    node->dataType = ftFloat;
  } else if (op == canSUB && IsStringType(lt) && IsTemporal(rt)) {
    l->dataType = rt;
    node->dataType = ftFloat;
  } else if ((op == canADD || op == canSUB) && l->kind == enConst && IsStringType(lt) &&
             IsNumeric(rt)) {
    l->dataType = ftDateTime;
    node->dataType = ftDateTime;
  } else if (op == canADD && r->kind == enConst && IsStringType(rt) && IsNumeric(lt)) {
    r->dataType = ftDateTime;
    node->dataType = ftDateTime;
  } else {
    Fail(kTypeMismatch);
    return false;
  }
  return true;
}

}  // namespace db
