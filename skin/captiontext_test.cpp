// Caption fitting with an injected text measure (fits, longest prefix with uneven widths, one
// character minimum, empty and one-character texts), one-pass text replacement (replacements
// that contain the pattern, empty pattern and replacement, overlaps) and ampersand stripping.
#include "skin/captiontext.h"

#include <gtest/gtest.h>

namespace skin {
namespace {

// 5 pixels a character, 10 for 'W'; "..." is 15.
int Measure(std::string_view text) {
  int w = 0;
  for (char c : text) w += c == 'W' ? 10 : 5;
  return w;
}

TEST(FitCaptionTest, TextThatFitsIsUnchanged) {
  EXPECT_EQ(FitCaption("Doziviz", 35, Measure), "Doziviz");
  EXPECT_EQ(FitCaption("Doziviz", 500, Measure), "Doziviz");
  EXPECT_EQ(FitCaption("", -10, Measure), "");
  EXPECT_EQ(FitCaption("D", 0, Measure), "D");  // "D..." would only be wider
}

TEST(FitCaptionTest, LongestPrefixWithEllipsisThatFits) {
  // "Dozi..." is 35 wide: the longest that fits 36..39, never past the limit.
  for (int limit : {35, 36, 39}) EXPECT_EQ(FitCaption("Doziviz Lyrics", limit, Measure), "Dozi...");
  EXPECT_EQ(FitCaption("Doziviz Lyrics", 40, Measure), "Doziv...");
  // Uneven widths: "aWWa" + "..." is 45; "aWW..." 40; "aW..." 30.
  EXPECT_EQ(FitCaption("aWWaWW", 44, Measure), "aWW...");
  EXPECT_EQ(FitCaption("aWWaWW", 39, Measure), "aW...");
  for (const std::string_view text : {"ab", "abcdefghijklmnopqrstuvwxyz"})
    for (int limit = 0; limit < Measure(text); ++limit) {
      const std::string fit = FitCaption(text, limit, Measure);
      const size_t kept = fit.size() - 3;
      ASSERT_EQ(fit, std::string(text.substr(0, kept)) + "...");
      EXPECT_TRUE(kept == 1 || Measure(fit) <= limit) << limit;
      if (kept + 1 < text.size()) {
        EXPECT_GT(Measure(fit) + 5, limit) << limit;  // one more character would not fit
      }
    }
}

TEST(FitCaptionTest, AtLeastOneCharacterAndEllipsis) {
  EXPECT_EQ(FitCaption("Doziviz", 20, Measure), "D...");
  EXPECT_EQ(FitCaption("Doziviz", 3, Measure), "D...");
  EXPECT_EQ(FitCaption("Doziviz", -1, Measure), "D...");
  EXPECT_EQ(FitCaption("WW", 5, Measure), "W...");
}

TEST(ReplaceTextTest, OnePassEvenWhenTheReplacementHoldsThePattern) {
  EXPECT_EQ(ReplaceText("a-b-c", "-", "--"), "a--b--c");
  EXPECT_EQ(ReplaceText("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceText("xxyy", "xy", ""), "xy");  // the "xy" the removal forms stays
  EXPECT_EQ(ReplaceText("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceText("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceText("one two", "", "x"), "one two");
  EXPECT_EQ(ReplaceText("one two", " ", ""), "onetwo");
  EXPECT_EQ(ReplaceText("", "a", "b"), "");
  EXPECT_EQ(ReplaceText("Abc", "a", "x"), "Abc");  // letter case counts
}

TEST(StripAmpersandsTest, SingleAmpersandsGoAndDoubledOnesStay) {
  EXPECT_EQ(StripAmpersands("&File"), "File");
  EXPECT_EQ(StripAmpersands("Save && E&xit"), "Save & Exit");
  EXPECT_EQ(StripAmpersands("&&&x"), "&x");
  EXPECT_EQ(StripAmpersands("a&"), "a");
  EXPECT_EQ(StripAmpersands("&&&&"), "&&");
  EXPECT_EQ(StripAmpersands(""), "");
}

}  // namespace
}  // namespace skin
