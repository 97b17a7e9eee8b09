// The text utilities and the program's differ-by-32 case rule. The literals end in a zero, and
// AddressSanitizer watches what lies behind them.
#include "base/text.h"

#include "support/script.h"

namespace orvinta::base {
namespace {

TEST(TextUtils, PrefixLengthsStopAtTheEndOfTheFirstTextOrTheFirstDifference) {
  struct Case {
    std::u16string_view a, b;
    size_t common, noCase;
  } cases[] = {{u"LOA", u"LOAD", 3, 3},  {u"load", u"LOAD", 0, 4}, {u"abc  x", u"abc", 3, 5},
               {u"abcd", u"ABC", 0, 3}, {u"NOTE", u".oTE", 0, 4}, {u"a\x01", u"A!", 0, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(CommonPrefixLength(c.a.data(), c.b.data()), c.common) << test::Shown(c.a);
    EXPECT_EQ(PrefixLengthNoCase(c.a.data(), c.b.data()), c.noCase) << test::Shown(c.a);
  }
}

TEST(TextUtils, FindNoCaseFindsTheFirstOccurrence) {
  struct Case {
    std::u16string_view text, pattern;
    int at;  // -1: not found
  } cases[] = {{u"annexe", u".exe", -1}, {u"", u"", -1},        {u"abc", u"", 0},   {u"ab.ex", u".exe", -1},
               {u"..exe", u".exe", 1},    {u"p", u"0", -1},        {u"a", u"ab", -1}};
  for (const Case& c : cases) {
    const char16_t* found = FindNoCase(c.text.data(), c.pattern.data());
    EXPECT_EQ(found == nullptr ? -1 : found - c.text.data(), c.at) << test::Shown(c.text);
  }
}

}  // namespace
}  // namespace orvinta::base
