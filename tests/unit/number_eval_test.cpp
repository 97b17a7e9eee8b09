// ParseNumber, the one number rule; the eval and vars end-to-end cases show EVAL.
#include <climits>

#include "base/number.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(ParseNumber, ReadsDecimalOrHexAndStopsAtTheFirstUnitThatCannotContinue) {
  struct Case {
    std::u16string_view text;
    int32_t value;
  } cases[] = {
      {u"", 0},           {u" \t\r\n\v\f42", 42}, {u"0X1F", 31},     {u"-0x10", -16},   {u"0x80000000", INT_MIN},
      {u"0x7fffffff", INT_MAX},                {u"0x123456789", 0x23456789},       {u"4294967297", 1},
      {u"2147483648", INT_MIN},                {u"-2147483648", INT_MIN},          {u"1e3", 1},
      {u"0xg", 0},        {u"00x10", 0},         {u"x10", 0},       {u"- 5", 0},       {u"+-5", 0},
      {u"7\x01" u"8", 7}, {u"\u0663", 0},        {u"\u00A05", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(base::ParseNumber(c.text.data()), c.value) << Shown(c.text);
}

}  // namespace
}  // namespace orvinta::test
