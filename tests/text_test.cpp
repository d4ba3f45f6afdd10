// Windows-1252 conversion, upper case and the small text helpers.
#include <gtest/gtest.h>

#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace {

TEST(Cp1252, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(fromUtf8(toUtf8(all)), all);
}

TEST(Cp1252, ConvertsGermanAndHighTableCharacters) {
  struct Case {
    int line;
    std::string cp1252;
    std::string utf8;
  };
  const Case cases[] = {
      {__LINE__, "T\xFC" "r", "Tür"},
      {__LINE__, "Wei\xDF", "Weiß"},
      {__LINE__, "\x80 5", "€ 5"},
      {__LINE__, "\x84" "a\x93", "„a“"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(toUtf8(c.cp1252), c.utf8);
    EXPECT_EQ(fromUtf8(c.utf8), c.cp1252);
  }
}

TEST(Cp1252, UnrepresentableAndBrokenUtf8BecomeQuestionMarks) {
  EXPECT_EQ(fromUtf8("a\xE2\x82"), "a??");            // cut sequence
  EXPECT_EQ(fromUtf8("\xE4\xB8\xAD" "x"), "?x");       // CJK character, not in the code page
  EXPECT_EQ(fromUtf8("\xF0\x9F\x98\x80"), "?");        // emoji: one character, one byte
}

TEST(Cp1252, UpperCaseByCharacter) {
  EXPECT_EQ(upperCase("t\xFCr \xE4\xF6 abc \x9A\xFF"), "T\xDCR \xC4\xD6 ABC \x8A\x9F");
  EXPECT_EQ(upperCase("\xDF\xF7"), "\xDF\xF7");  // ß and ÷ have no capital
}

TEST(TextUtil, NoCaseComparisonOrdersAPrefixFirst) {
  EXPECT_LT(compareNoCase("apfel", "Birne"), 0);
  EXPECT_GT(compareNoCase("Lampe2", "lampe"), 0);
  EXPECT_EQ(compareNoCase("LAMPE", "lampe"), 0);
}

TEST(TextUtil, ParseIntAcceptsOnlyWholeNumbers) {
  struct Case {
    int line;
    const char* text;
    std::optional<int> value;
  };
  const Case cases[] = {
      {__LINE__, "12", 12},
      {__LINE__, " -8 ", -8},
      {__LINE__, "+5", 5},
      {__LINE__, "000-8", std::nullopt},
      {__LINE__, "", std::nullopt},
      {__LINE__, "-", std::nullopt},
      {__LINE__, "99999999999", std::nullopt},
      {__LINE__, "+-5", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(parseInt(c.text), c.value);
  }
}

TEST(TextUtil, ParseRealRefusesWhatIsNoFiniteNumber) {
  struct Case {
    int line;
    const char* text;
    std::optional<double> value;
  };
  const Case cases[] = {
      {__LINE__, " 1,5 ", 1.5},          {__LINE__, "-.5", -0.5},
      {__LINE__, "+2e3", 2000.0},        {__LINE__, "7.", 7.0},
      {__LINE__, "1E-2", 0.01},          {__LINE__, "nan", std::nullopt},
      {__LINE__, "1e999", std::nullopt}, {__LINE__, "1.2.3", std::nullopt},
      {__LINE__, "1e", std::nullopt},    {__LINE__, ".", std::nullopt},
      {__LINE__, "", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(parseReal(c.text), c.value);
  }
}

}  // namespace
}  // namespace kelvaro
