// Filter program interpreter: runs a compiled program (filtercode.h) on one record. The loop
// loads each instruction's operands and dispatches on its operation; every operation is a
// function below that states what it computes and when its result is null.
//
// NULL rules in general: a result's value is computed from its operands' values even when one of
// them is null (a field's value then comes from the bytes it holds; a cleared field keeps its
// previous bytes), because NOT, AND and OR ignore null flags and combine those values. A record
// passes only when the root's result is boolean, not null and non-zero.
#include <chrono>
#include <cmath>
#include <string_view>

#include "platform/collation.h"
#include "tableengine/exprblock.h"
#include "tableengine/exprvalues.h"
#include "tableengine/filtercode.h"

namespace dsengine::filtercode {

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

namespace {

// The operands of one instruction on the current record; an absent operand is a default Value
// of class kNone.
struct Operands {
  Value a, b, c;
  VClass ca = VClass::kNone, cb = VClass::kNone, cc = VClass::kNone;
};

// The usual rule: null when the left or the right operand is null.
bool EitherNull(const Operands& in) { return in.a.null || in.b.null; }

// A number's truth for NOT, AND and OR: non-zero.
bool Truth(const Value& v, VClass c) { return c == VClass::kInt ? v.i != 0 : v.d != 0; }

// A string result lives in the result slot's own buffer, which keeps its capacity from record to
// record.
void PublishText(Slot& out) {
  out.value.s = out.text.data();
  out.value.n = out.text.size();
}
void SetText(Slot& out, std::string_view text) {
  out.text.assign(text);
  PublishText(out);
}

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

// -1, 0 or 1 as string `a` sorts before, equal to or after `b` for comparison `op`. = and <>
// with a partial length compare that many characters; = on a fixed-width field (`fixedWidth`)
// without one ignores trailing blanks on both sides.
int CompareStrings(const Value& a, const Value& b, uint32_t op, const Instruction& ins,
                   bool fixedWidth, uint32_t locale) {
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
  return r == platform::kCompareLess ? -1 : r == platform::kCompareEqual ? 0 : 1;
}

int CompareInts(int64_t x, int64_t y) { return x < y ? -1 : x > y ? 1 : 0; }

// Unordered values (NaN) compare as equal.
int CompareDoubles(double x, double y) { return x < y ? -1 : x > y ? 1 : 0; }

// The day number and the millisecond of the day of a temporal value. Values that are not finite
// count as 0; day numbers outside 1..3652059 (1 January 1 to 31 December 9999) count as day 1.
int32_t DayOf(double ms) {
  double days = std::isfinite(ms) ? std::floor(ms / db::kMsPerDay) : 0;
  if (days < 1 || days > 3652059) days = 1;
  return static_cast<int32_t>(days);
}
int64_t MsOfDay(double ms) {
  double t = std::isfinite(ms) ? std::fmod(ms, double(db::kMsPerDay)) : 0;
  if (t < 0) t += db::kMsPerDay;
  return static_cast<int64_t>(t);
}

// --- operations ------------------------------------------------------------------------------
// Each sets the result `r` (for strings the result slot `out`), its null flag included; `r`
// starts as a zero value.

// IS BLANK: 1 when the operand is null, else 0. Never null.
void OpIsBlank(const Operands& in, Value& r) {
  r.null = false;
  r.i = in.a.null;
}

// IS NOT BLANK: 1 when the operand is not null, else 0. Never null.
void OpNotBlank(const Operands& in, Value& r) {
  r.null = false;
  r.i = !in.a.null;
}

// NOT: 1 when the operand's value is zero, else 0. Never null: a null operand's value counts.
void OpNot(const Operands& in, Value& r) {
  r.null = false;
  r.i = !Truth(in.a, in.ca);
}

// AND: 1 when both values are non-zero, else 0. Never null: null operands' values count.
void OpAnd(const Operands& in, Value& r) {
  r.null = false;
  r.i = Truth(in.a, in.ca) && Truth(in.b, in.cb);
}

// OR: 1 when either value is non-zero, else 0. Never null: null operands' values count.
void OpOr(const Operands& in, Value& r) {
  r.null = false;
  r.i = Truth(in.a, in.ca) || Truth(in.b, in.cb);
}

// =, <>, <, >, <=, >= on two strings, in the collation of the table's locale, ignoring case when
// the instruction says so (see CompareStrings for partial lengths and fixed-width fields). Null
// when either operand is null.
void OpCompareString(const Instruction& ins, const Operands& in, bool fixedWidth, uint32_t locale,
                     Value& r) {
  r.null = EitherNull(in);
  r.i = Ordered(CompareStrings(in.a, in.b, ins.cmp, ins, fixedWidth, locale), ins.cmp);
}

// The same on two integers. Null when either operand is null.
void OpCompareInt(const Instruction& ins, const Operands& in, Value& r) {
  r.null = EitherNull(in);
  r.i = Ordered(CompareInts(in.a.i, in.b.i), ins.cmp);
}

// The same on numbers of mixed classes (as floating point) or on two temporal values. Null when
// either operand is null.
void OpCompareFloat(const Instruction& ins, const Operands& in, Value& r) {
  r.null = EitherNull(in);
  r.i = Ordered(CompareDoubles(AsDouble(in.a, in.ca), AsDouble(in.b, in.cb)), ins.cmp);
}

// LIKE on a string: 1 when the text matches the pattern, else 0. A pattern that is not a
// constant is compiled for each record. Null when either operand is null.
void OpLikeString(Instruction& ins, const Operands& in, uint32_t locale, Value& r) {
  r.null = EitherNull(in);
  if (!ins.patternIsConstant)
    ins.pattern.Compile(std::string_view(in.b.s, in.b.n), ins.caseInsensitive, locale);
  r.i = ins.pattern.Match(in.a.s, in.a.n);
}

// LIKE on a blob field: 1 when the blob's bytes, over their stored length, match the pattern.
// Null when either operand is null. 0 when the field is null (its blob is not fetched), and
// when there is no blob source or no blob to match.
void OpLikeBlob(Instruction& ins, const Operands& in, FilterBlobSource* blobs, uint16_t fieldNumber,
                uint32_t locale, Value& r) {
  r.null = EitherNull(in);
  const char* text;
  size_t length;
  if (in.a.null || !blobs ||
      !blobs->GetBlob(fieldNumber, static_cast<int32_t>(in.a.i), text, length)) {
    r.i = 0;
    return;
  }
  if (!ins.patternIsConstant)
    ins.pattern.Compile(std::string_view(in.b.s, in.b.n), ins.caseInsensitive, locale);
  r.i = ins.pattern.Match(text, length);
}

// +, -, * on two numbers, in floating point. Null when either operand is null.
void OpAdd(const Operands& in, Value& r) {
  r.null = EitherNull(in);
  r.d = AsDouble(in.a, in.ca) + AsDouble(in.b, in.cb);
}
void OpSubtract(const Operands& in, Value& r) {
  r.null = EitherNull(in);
  r.d = AsDouble(in.a, in.ca) - AsDouble(in.b, in.cb);
}
void OpMultiply(const Operands& in, Value& r) {
  r.null = EitherNull(in);
  r.d = AsDouble(in.a, in.ca) * AsDouble(in.b, in.cb);
}

// / on two numbers, in floating point. Null when either operand is null, and when the divisor
// is zero (the value is then 0).
void OpDivide(const Operands& in, Value& r) {
  double y = AsDouble(in.b, in.cb);
  r.null = EitherNull(in) || y == 0;
  r.d = y == 0 ? 0 : AsDouble(in.a, in.ca) / y;
}

// String + string: the two texts joined. Null when either operand is null.
void OpConcat(const Operands& in, Slot& out) {
  out.value.null = EitherNull(in);
  out.text.assign(in.a.s, in.a.n);
  out.text.append(in.b.s, in.b.n);
  PublishText(out);
}

// Temporal + number and temporal - number: the number counts days. Null when either operand is
// null.
void OpTemporalAddNumber(const Operands& in, Value& r) {
  r.null = EitherNull(in);
  r.d = in.a.d + AsDouble(in.b, in.cb) * db::kMsPerDay;
}
void OpTemporalSubNumber(const Operands& in, Value& r) {
  r.null = EitherNull(in);
  r.d = in.a.d - AsDouble(in.b, in.cb) * db::kMsPerDay;
}

// Temporal - temporal: the difference in days, as floating point. Null when either operand is
// null.
void OpTemporalDiff(const Operands& in, Value& r) {
  r.null = EitherNull(in);
  r.d = (in.a.d - in.b.d) / db::kMsPerDay;
}

// upper(s), lower(s): the text in the platform's 8-bit upper or lower case. Null when the
// argument is null.
void OpUpper(const Operands& in, Slot& out) {
  SetText(out, std::string_view(in.a.s, in.a.n));
  platform::ToUpperBuffer(out.text.data(), out.text.size());
  out.value.null = in.a.null;
}
void OpLower(const Operands& in, Slot& out) {
  SetText(out, std::string_view(in.a.s, in.a.n));
  platform::ToLowerBuffer(out.text.data(), out.text.size());
  out.value.null = in.a.null;
}

// trim(s), trimleft(s), trimright(s): the text without leading and/or trailing blanks. Null when
// the argument is null.
void OpTrim(const Operands& in, bool leading, bool trailing, Slot& out) {
  std::string_view s(in.a.s, in.a.n);
  if (leading)
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (trailing)
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  SetText(out, s);
  out.value.null = in.a.null;
}

// substring(s, start[, count]): `count` characters of s from the 1-based position `start`
// (positions below 1 count as 1, a fraction is dropped); to the end of s without a count, or
// when it reaches past it; none when the count is not positive. Null when any argument is null.
void OpSubstring(const Instruction& ins, const Operands& in, Slot& out) {
  const bool hasCount = ins.c >= 0;
  const Value& s = in.a;
  double from = AsDouble(in.b, in.cb);
  double count = hasCount ? AsDouble(in.c, in.cc) : static_cast<double>(s.n);
  double first = std::isfinite(from) && from > 1 ? std::floor(from) - 1 : 0;
  size_t begin = first >= static_cast<double>(s.n) ? s.n : static_cast<size_t>(first);
  size_t n = !(count > 0)                                ? 0
             : count >= static_cast<double>(s.n - begin) ? s.n - begin
                                                         : static_cast<size_t>(count);
  SetText(out, std::string_view(s.s + begin, n));
  out.value.null = s.null || in.b.null || (hasCount && in.c.null);
}

// Year, Month, Day: that part of the calendar date of a temporal value (see DayOf for values
// outside the calendar). Null when the argument is null.
void OpCalendarPart(Op part, const Operands& in, Value& r) {
  int y, m, d;
  db::DecodeDayNumber(DayOf(in.a.d), y, m, d);
  r.null = in.a.null;
  r.i = part == Op::kYear ? y : part == Op::kMonth ? m : d;
}

// Hour, Minute, Second: that part of the time of day of a temporal value. Null when the argument
// is null.
void OpClockPart(Op part, const Operands& in, Value& r) {
  int64_t t = MsOfDay(in.a.d);
  r.null = in.a.null;
  r.i = part == Op::kHour ? t / 3600000 : part == Op::kMinute ? t / 60000 % 60 : t / 1000 % 60;
}

// Date: the start of the day of a temporal value (0 when it is not finite). Null when the
// argument is null.
void OpDate(const Operands& in, Value& r) {
  r.null = in.a.null;
  r.d = std::isfinite(in.a.d) ? std::floor(in.a.d / db::kMsPerDay) * db::kMsPerDay : 0;
}

// Time: the milliseconds of the day of a temporal value. Null when the argument is null.
void OpTime(const Operands& in, Value& r) {
  r.null = in.a.null;
  r.d = static_cast<double>(MsOfDay(in.a.d));
}

// getdate(): the current date and time of the system clock. Never null.
void OpGetDate(Value& r) {
  using namespace std::chrono;
  int64_t unixMs = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  constexpr int64_t kUnixEpochDay = 719163;  // day number of 1 January 1970
  r.null = false;
  r.d = static_cast<double>(unixMs + kUnixEpochDay * db::kMsPerDay);
}

// Runs one program on one record.
class Machine {
 public:
  Machine(Program& program, const uint8_t* flat, const FilterRecordSource* stored,
          FilterBlobSource* blobs)
      : p_(program), flat_(flat), stored_(stored), blobs_(blobs) {}

  bool Run() {
    for (Instruction& ins : p_.code) Step(ins);
    Value v = Load(p_.root);
    return p_.slots[p_.root].type == fldBOOL && !v.null && v.i != 0;
  }

  // The current value of a slot: a field's is decoded from the record.
  Value Load(int index) const {
    const Slot& s = p_.slots[index];
    if (s.where != Slot::kRecord) return s.value;
    Value v;
    if (stored_ != nullptr) {
      v.null = stored_->NullFlag(s.fieldNumber) != 0;
      Decode(s.type, stored_->Value(s.fieldNumber), s.length, v);
    } else {
      v.null = flat_[s.nullOffset] != 0;
      Decode(s.type, flat_ + s.offset, s.length, v);
    }
    return v;
  }

 private:
  Value LoadOperand(int slot) const { return slot >= 0 ? Load(slot) : Value(); }
  VClass ClassOfOperand(int slot) const { return slot >= 0 ? p_.slots[slot].cls : VClass::kNone; }

  void Step(Instruction& ins);
  void OpIn(const Instruction& ins, const Operands& in, Value& r) const;

  Program& p_;
  const uint8_t* flat_;               // the flat record, or
  const FilterRecordSource* stored_;  // the stored record
  FilterBlobSource* blobs_;
};

// IN: 1 when the left operand equals an element of the list (strings by the collation, fixed-width
// fields ignoring trailing blanks), else 0; a null element equals nothing. Null when the left
// operand is null.
void Machine::OpIn(const Instruction& ins, const Operands& in, Value& r) const {
  const bool fixedWidth = p_.slots[ins.a].fixedWidth;
  r.null = in.a.null;
  r.i = 0;
  for (size_t k = 0; k < ins.args.size() && !r.i; ++k) {
    Value e = Load(ins.args[k]);
    if (e.null) continue;
    int c;
    switch (ins.argCmp[k]) {
      case CmpKind::kString:
        c = CompareStrings(in.a, e, canEQ, ins, fixedWidth, p_.locale);
        break;
      case CmpKind::kInt:
        c = CompareInts(in.a.i, e.i);
        break;
      default:
        c = CompareDoubles(AsDouble(in.a, in.ca), AsDouble(e, p_.slots[ins.args[k]].cls));
    }
    r.i = c == 0;
  }
}

void Machine::Step(Instruction& ins) {
  // Built in place from the loads: zeroing the whole struct first costs more than the loads.
  const Operands in{LoadOperand(ins.a),    LoadOperand(ins.b),    LoadOperand(ins.c),
                    ClassOfOperand(ins.a), ClassOfOperand(ins.b), ClassOfOperand(ins.c)};
  Slot& out = p_.slots[ins.result];
  Value& r = out.value;
  r = Value();
  switch (ins.op) {
    case Op::kIsBlank:
      return OpIsBlank(in, r);
    case Op::kNotBlank:
      return OpNotBlank(in, r);
    case Op::kNot:
      return OpNot(in, r);
    case Op::kAnd:
      return OpAnd(in, r);
    case Op::kOr:
      return OpOr(in, r);
    case Op::kCompareString:
      return OpCompareString(ins, in, p_.slots[ins.a].fixedWidth, p_.locale, r);
    case Op::kCompareInt:
      return OpCompareInt(ins, in, r);
    case Op::kCompareFloat:
      return OpCompareFloat(ins, in, r);
    case Op::kLikeString:
      return OpLikeString(ins, in, p_.locale, r);
    case Op::kLikeBlob:
      return OpLikeBlob(ins, in, blobs_, p_.slots[ins.a].fieldNumber, p_.locale, r);
    case Op::kIn:
      return OpIn(ins, in, r);
    case Op::kAdd:
      return OpAdd(in, r);
    case Op::kSubtract:
      return OpSubtract(in, r);
    case Op::kMultiply:
      return OpMultiply(in, r);
    case Op::kDivide:
      return OpDivide(in, r);
    case Op::kConcat:
      return OpConcat(in, out);
    case Op::kTemporalAddNumber:
      return OpTemporalAddNumber(in, r);
    case Op::kTemporalSubNumber:
      return OpTemporalSubNumber(in, r);
    case Op::kTemporalDiff:
      return OpTemporalDiff(in, r);
    case Op::kUpper:
      return OpUpper(in, out);
    case Op::kLower:
      return OpLower(in, out);
    case Op::kTrim:
      return OpTrim(in, true, true, out);
    case Op::kTrimLeft:
      return OpTrim(in, true, false, out);
    case Op::kTrimRight:
      return OpTrim(in, false, true, out);
    case Op::kSubstring:
      return OpSubstring(ins, in, out);
    case Op::kYear:
    case Op::kMonth:
    case Op::kDay:
      return OpCalendarPart(ins.op, in, r);
    case Op::kHour:
    case Op::kMinute:
    case Op::kSecond:
      return OpClockPart(ins.op, in, r);
    case Op::kDate:
      return OpDate(in, r);
    case Op::kTime:
      return OpTime(in, r);
    case Op::kGetDate:
      return OpGetDate(r);
  }
}

}  // namespace

bool Run(Program& program, const uint8_t* flat, const FilterRecordSource* stored,
         FilterBlobSource* blobs) {
  return Machine(program, flat, stored, blobs).Run();
}

}  // namespace dsengine::filtercode
