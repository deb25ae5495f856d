// LIKE patterns of the filter language: a compiler from pattern text to matching steps, and the
// matcher. Used by the filter program (filterprog). A compiled pattern is immutable and may be
// matched from several threads; compiling into an existing object reuses its storage.
//
// Pattern language: "%" any run of characters (also empty; "%%" is one "%"), "_" exactly one
// character, "\" takes the next character literally. Characters are bytes; case-insensitive
// patterns compare through the platform collation and 8-bit case mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dsengine {

class LikePattern {
 public:
  enum StepKind : uint8_t {
    kCompare,   // the next characters equal a run of the pattern
    kSkip,      // advance over `count` characters of any value
    kFind,      // "%" then a character: the earliest occurrence within the slack
    kEndCheck,  // every character left for "%" has been used
    kSuccess,   // the text matches
  };
  struct Step {
    StepKind kind;
    uint32_t start = 0;    // kCompare: offset of the run in runs_
    uint32_t count = 0;    // kCompare: run length; kSkip: characters to skip
    bool classed = false;  // kCompare ignoring case: every run byte has a byte class
    char c = 0;            // kFind: the character; alternatives in the other case
    char upper = 0;
    char lower = 0;
  };

  // Compiles `pattern`. A backslash as the last character stands for itself. Ignoring case, a
  // run is compared through the platform's byte classes (platform::IgnoreCaseClasses) when it
  // and the text bytes have them, which gives the collation's answer without calling it;
  // `byteClasses` false always calls the collation.
  void Compile(std::string_view pattern, bool caseInsensitive, uint32_t locale,
               bool byteClasses = true);
  // True when `text` matches the compiled pattern.
  bool Match(const char* text, size_t length) const;
  // The same for the text held in a field of `capacity` bytes, ended by the first NUL or by the
  // field's end: Match(field, strnlen(field, capacity)). Patterns of the shapes «run_%» (no
  // "%" before the last) and «%c_run%» (one leading "%") read only the bytes they need: the
  // first fixed-length bytes, or the bytes up to the match, without measuring the text first.
  bool MatchField(const char* field, size_t capacity) const;

  // How MatchField reads a field, chosen when compiling.
  enum Shape : uint8_t {
    kGeneral,      // measure the text, then Match
    kAnchored,     // no find step and no end check: only the first fixed-length bytes count
    kLeadingFind,  // a find first, then only compare and skip steps: one scan of the text
  };
  Shape FieldShape() const { return shape_; }

  size_t FixedLength() const { return fixedLength_; }
  const std::vector<Step>& Steps() const { return steps_; }

 private:
  enum Outcome { kMatched, kFailed, kFailedAfterFind };
  Outcome Run(size_t step, const char* text, size_t length, size_t pos, size_t slack) const;
  bool CompareRun(const Step& step, const char* text) const;
  bool IsFindChar(const Step& step, char c) const;

  Shape ChooseShape() const;
  bool MatchLeadingFind(const char* field, size_t capacity) const;

  std::vector<Step> steps_;
  Shape shape_ = kGeneral;
  bool stopsScan_[256] = {};  // kLeadingFind: the NUL and the find character's case forms
  std::string runs_;          // the characters of all compare runs
  bool classes_ = false;      // byteClass_ holds the platform's ignore-case byte classes
  uint8_t byteClass_[256] = {};
  size_t fixedLength_ = 0;
  bool caseInsensitive_ = false;
  uint32_t locale_ = 0;
};

// Compiles and matches in one call.
bool LikeMatch(std::string_view pattern, std::string_view text, bool caseInsensitive,
               uint32_t locale);

}  // namespace dsengine
