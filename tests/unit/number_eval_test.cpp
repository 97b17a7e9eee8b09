// ParseNumber, the one number rule, and EVAL, which sets and reads the user variables.
#include <climits>

#include "engine/number.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(ParseNumber, ReadsDecimalOrHexAndStopsAtTheFirstUnitThatCannotContinue) {
  struct Case {
    std::u16string_view text;
    int32_t value;
  } cases[] = {
      {u"", 0},          {u"42", 42},       {u" \t\r\n\v\f42", 42}, {u"+7", 7},           {u"-7", -7},
      {u"0x1f", 31},     {u"0X1F", 31},     {u"-0x10", -16},        {u"0xFFFFFFFF", -1},  {u"0x80000000", INT_MIN},
      {u"0x7fffffff", INT_MAX},             {u"0x123456789", 0x23456789},                 {u"4294967297", 1},
      {u"2147483648", INT_MIN},             {u"-2147483648", INT_MIN},                    {u"12abc", 12},
      {u"1e3", 1},       {u"0x", 0},        {u"0xg", 0},            {u"00x10", 0},        {u"x10", 0},
      {u"- 5", 0},       {u"+-5", 0},       {u"Hello World", 0},    {u"7\x01" u"8", 7},   {u"\u0663", 0},
      {u"\u00A05", 0},   {u"-0", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(engine::ParseNumber(c.text.data()), c.value) << Shown(c.text);
}

TEST(Eval, SetsReadsAndEmptiesUserVariables) {
  const std::u16string kLong = u"EVAL 3=" + std::u16string(300, u'y') + u"\nEVAL 2=%3%3";
  const ScriptCase cases[] = {  // variables: %0|%1|%2|%3 afterwards
      {u"EVAL 1=Hello World\nEVAL 1", {.result = 0, .variables = u"|Hello World||"}},
      {u"EVAL 1=0x10\nEVAL 1", {.result = 16, .variables = u"|0x10||"}},
      {u"EVAL 1=0x10\nEVAL 1junk=5", {.result = 16, .variables = u"|0x10||"}},
      {u"EVAL 2=x\nEVAL 2=", {.result = 0, .variables = u"|||"}},
      {u"EVAL 2=5\nEVAL 2 = x", {.result = 5, .variables = u"||5|"}},
      {u"EVAL 0=a\nEVAL 1=b\nEVAL", {.result = 0, .variables = u"|b||"}},
      {u"EVAL 0=a\nEVAL 1=b\nEVAL Z", {.result = 0, .variables = u"|b||"}},
      {u"EVAL 0=a,b\nEVAL 1=a%,b\nEVAL 2= c\t", {.result = 0, .variables = u"a\x01" u"b|a,b| c\t|"}},
      {u"EVAL x", {.result = 0}},
      {u"EVAL X=-7", {.result = -7}},
      {u"EVAL x0x20", {.result = 32}},
      {u"EVAL x= 9", {.result = 9}},
      {u"EVAL 3=0xFFFFFFFF\nEVAL 3", {.result = -1, .variables = u"|||0xFFFFFFFF"}},
      {kLong,
       {.variables = u"||" + std::u16string(259, u'y') + u"|" + std::u16string(259, u'y')}},  // 259 units kept
  };
  ExpectRuns(cases);
}

}  // namespace
}  // namespace orvinta::test
