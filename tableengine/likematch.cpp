// LIKE pattern compiler and matcher.
//
// Format notes: a pattern compiles to steps plus the fixed length, the number of text characters
// every match consumes outside "%". The slack (text length - fixed length) is what the "%"s may
// take. A "%" is folded into the find step of the ordinary character behind it (with any "_"
// run between them as a skip step just before the find); the other ordinary characters form
// compare runs. When characters follow the last "%", an end check right after the last find (or
// at the start) demands that all slack be used by then.
//
// Matching takes the earliest occurrence at each find. When the rest of the pattern fails
// before it reaches another find step, the find gives one more character to its "%" and
// searches again; once the rest has reached a later find step, moving this one cannot help
// (the later "%" absorbs any shift), so the match fails at once. This keeps patterns with
// several "%" linear in practice.
#include "tableengine/likematch.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/collation.h"

namespace dsengine {

namespace {
// Whether the next `n` bytes hold a NUL; the lengths asked here are a pattern's few characters,
// where a call to memchr costs more than the loop.
bool HasNul(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (p[i] == 0) return true;
  return false;
}
}  // namespace

void LikePattern::Compile(std::string_view pattern, bool caseInsensitive, uint32_t locale,
                          bool byteClasses) {
  steps_.clear();
  runs_.clear();
  fixedLength_ = 0;
  caseInsensitive_ = caseInsensitive;
  locale_ = locale;
  classes_ = caseInsensitive && byteClasses && platform::IgnoreCaseClasses(locale, byteClass_);
  bool afterPercent = false;  // a "%" with nothing but "_" since
  bool inRun = false;         // the last step is a compare run that may grow
  size_t pendingSkip = 0;     // "_" not yet written as a skip step
  size_t lastFind = 0;        // index of the last find step + 1; 0 for none
  auto flushSkip = [&] {
    if (pendingSkip == 0) return;
    Step skip{kSkip};
    skip.count = static_cast<uint32_t>(pendingSkip);
    steps_.push_back(skip);
    pendingSkip = 0;
  };
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '%') {
      flushSkip();
      inRun = false;
      afterPercent = true;
      continue;
    }
    if (c == '_') {
      inRun = false;
      ++pendingSkip;
      ++fixedLength_;
      continue;
    }
    if (c == '\\' && i + 1 < pattern.size()) c = pattern[++i];
    ++fixedLength_;
    flushSkip();
    if (afterPercent) {
      Step find{kFind};
      find.c = c;
      find.upper = caseInsensitive ? platform::ToUpper(c) : c;
      find.lower = caseInsensitive ? platform::ToLower(c) : c;
      steps_.push_back(find);
      lastFind = steps_.size();
      afterPercent = false;
      inRun = false;
      continue;
    }
    if (!inRun) {
      Step run{kCompare};
      run.start = static_cast<uint32_t>(runs_.size());
      steps_.push_back(run);
      inRun = true;
    }
    runs_ += c;
    ++steps_.back().count;
  }
  flushSkip();
  for (Step& step : steps_) {
    if (step.kind != kCompare || !classes_) continue;
    step.classed = true;
    for (uint32_t i = 0; i < step.count; ++i)
      step.classed = step.classed && byteClass_[static_cast<uint8_t>(runs_[step.start + i])] != 0;
  }
  // A pattern that ends in "%" (possibly followed by "_" only) leaves its slack to that "%".
  if (!afterPercent) steps_.insert(steps_.begin() + lastFind, Step{kEndCheck});
  steps_.push_back(Step{kSuccess});
  shape_ = ChooseShape();
  std::fill(std::begin(stopsScan_), std::end(stopsScan_), false);
  if (shape_ == kLeadingFind) {
    const Step& find = steps_[0];
    stopsScan_[0] = true;
    for (char c : {find.c, find.upper, find.lower}) stopsScan_[static_cast<uint8_t>(c)] = true;
  }
}

LikePattern::Shape LikePattern::ChooseShape() const {
  bool anchored = true, leadingFind = steps_.size() > 1 && steps_[0].kind == kFind;
  for (size_t s = 0; s < steps_.size(); ++s) {
    const StepKind kind = steps_[s].kind;
    if (kind == kFind || kind == kEndCheck) anchored = false;
    if (s > 0 && (kind == kFind || kind == kEndCheck)) leadingFind = false;
  }
  return anchored ? kAnchored : leadingFind ? kLeadingFind : kGeneral;
}

bool LikePattern::CompareRun(const Step& step, const char* text) const {
  const char* run = runs_.data() + step.start;
  if (!caseInsensitive_) return std::memcmp(text, run, step.count) == 0;
  if (step.classed) {
    // Equal exactly when the classes agree at every position, provided every text byte has a
    // class; otherwise the collation decides.
    bool same = true, classed = true;
    for (uint32_t i = 0; i < step.count; ++i) {
      const uint8_t c = byteClass_[static_cast<uint8_t>(text[i])];
      classed = classed && c != 0;
      same = same && c == byteClass_[static_cast<uint8_t>(run[i])];
    }
    if (classed) return same;
  }
  int n = static_cast<int>(step.count);
  return platform::Compare(locale_, platform::kNormIgnoreCase, text, n, run, n) ==
         platform::kCompareEqual;
}

bool LikePattern::IsFindChar(const Step& step, char c) const {
  return c == step.c || c == step.upper || c == step.lower;
}

LikePattern::Outcome LikePattern::Run(size_t s, const char* text, size_t length, size_t pos,
                                      size_t slack) const {
  bool passedFind = false;
  const Outcome failed = kFailed;
  for (;; ++s) {
    const Step& step = steps_[s];
    switch (step.kind) {
      case kCompare:
        if (pos + step.count > length || !CompareRun(step, text + pos))
          return passedFind ? kFailedAfterFind : failed;
        pos += step.count;
        break;
      case kSkip:
        if (pos + step.count > length) return passedFind ? kFailedAfterFind : failed;
        pos += step.count;
        break;
      case kEndCheck:
        if (slack != 0) return passedFind ? kFailedAfterFind : failed;
        break;
      case kSuccess:
        return kMatched;
      case kFind: {
        passedFind = true;
        size_t from = pos;
        for (;;) {
          size_t limit = from + slack + 1;
          if (limit > length) limit = length;
          size_t found = from;
          while (found < limit && !IsFindChar(step, text[found])) ++found;
          if (found >= limit) return kFailedAfterFind;
          slack -= found - from;
          pos = found + 1;
          if (slack == 0) break;
          Outcome rest = Run(s + 1, text, length, pos, slack);
          if (rest != kFailed) return rest;
          --slack;  // one more character for "%"
          from = found + 1;
        }
        break;
      }
    }
  }
}

bool LikePattern::Match(const char* text, size_t length) const {
  if (steps_.empty() || length < fixedLength_) return false;
  return Run(0, text, length, 0, length - fixedLength_) == kMatched;
}

bool LikePattern::MatchField(const char* field, size_t capacity) const {
  if (steps_.empty()) return false;
  switch (shape_) {
    case kAnchored:
      // The steps consume exactly the fixed length from the start; a longer text matches
      // exactly when its first fixed-length characters do.
      if (capacity < fixedLength_ || HasNul(field, fixedLength_)) return false;
      if (steps_.size() == 2 && steps_[0].kind == kCompare) return CompareRun(steps_[0], field);
      return Run(0, field, fixedLength_, 0, 0) == kMatched;
    case kLeadingFind:
      return MatchLeadingFind(field, capacity);
    case kGeneral:
      break;
  }
  const void* nul = std::memchr(field, 0, capacity);
  return Match(field, nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : capacity);
}

// «%c» then compare and skip steps over the fixed length - 1 characters after c: the text
// matches when some occurrence of c that leaves room for them is followed by them. Match tries
// the occurrences from the earliest; so does this scan, which stops at the text's end.
bool LikePattern::MatchLeadingFind(const char* field, size_t capacity) const {
  const size_t rest = fixedLength_ - 1;
  for (size_t i = 0; i < capacity; ++i) {
    if (!stopsScan_[static_cast<uint8_t>(field[i])]) continue;
    if (field[i] == 0) return false;  // the end of the text
    // Too little text left after this occurrence means too little after every later one.
    if (rest > capacity - i - 1 || HasNul(field + i + 1, rest)) return false;
    if (Run(1, field, i + 1 + rest, i + 1, 0) == kMatched) return true;
  }
  return false;
}

bool LikeMatch(std::string_view pattern, std::string_view text, bool caseInsensitive,
               uint32_t locale) {
  LikePattern compiled;
  compiled.Compile(pattern, caseInsensitive, locale);
  return compiled.Match(text.data(), text.size());
}

}  // namespace dsengine
