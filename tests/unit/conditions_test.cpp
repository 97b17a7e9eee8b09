// IFEX and ELSE: every operator, both forms, the block skip and the shared last condition.
#include "engine/conditions.h"

#include <gtest/gtest.h>

#include <string>

#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

using test::RunText;

TEST(Conditions, EveryOperatorDecidesAsDescribed) {
  test::DeviceFolder folder;
  folder.Write(u"exists.ovs", "");
  struct Case {
    std::u16string text;
    bool outcome;
  } cases[] = {
      {u"01==1", true},         {u"01=1", false},        {u"abc=ABC", true},      {u"x = abc", false},
      {u"x =x ", true},         {u"x = x", false},        {u"a<b", false},         {u"5>3", true},
      {u"3>5", false},          {u"5>=5", true},         {u"3<=2", false},        {u"-1<0", true},
      {u"0xFFFFFFFF>0", false}, {u"6&2", true},          {u"4&2", false},         {u"0&&1", false},
      {u"2&&3", true},          {u"2&&0", false},        {u"0||0", false},        {u"0||5", true},
      {u"4|0", true},           {u"0|0", false},         {u"1!=2", true},         {u"1!=1", false},
      {u"abc!ABD", true},       {u"abc!ABC", false},     {u"abc=", false},        {u"=", true},
      {u"!1==1", false},        {u"!abc=abd", true},     {u"[=}", false},         {u"5>3=3", true},
      {u"1=1==1", false},       {u"0x10&0x10", true},    {u"7", false},           {u"!", true},
      {folder.Device(u"EXISTS.OVS"), true}, {folder.Device(u""), true}, {folder.Device(u"missing"), false},
      {u"!" + folder.Device(u"missing"), true},
  };
  // "!" alone asks whether the empty path exists, and negates the answer.
  for (const Case& c : cases) {
    std::u16string text = c.text;
    EXPECT_EQ(engine::EvaluateCondition(text.data()), c.outcome) << test::Shown(c.text);
    EXPECT_EQ(engine::LastCondition(), c.outcome) << test::Shown(c.text);
  }
}

TEST(Conditions, ATextComparisonCutsTheTextAtItsOperator) {
  std::u16string text = u"left=right";
  engine::EvaluateCondition(text.data());
  EXPECT_EQ(text, std::u16string(u"left\0right", 10));
  std::u16string numbers = u"1==1";
  engine::EvaluateCondition(numbers.data());
  EXPECT_EQ(numbers, u"1==1");
}

TEST(Ifex, TheCommandFormRunsOnTrueAndKeepsTheLastResult) {
  test::ResetUserVariables();
  struct Case {
    std::u16string_view script;
    int32_t result;
    std::u16string_view variables;  // %0|%1
  } cases[] = {
      {u"EVAL x=6\nIFEX %x==6,EVAL 0=yes\nELSE EVAL 1=no", 6, u"yes|"},
      {u"EVAL x=7\nIFEX %x==6,EVAL 0=yes\nELSE EVAL 1=no", 7, u"|no"},
      {u"EVAL x=8\nIFEX %x&0x08,BATC EVAL 0=a;EVAL 1=b", 8, u"a|b"},
      {u"EVAL x=4\nIFEX 5>3, EVAL 0=blank", 4, u"|"},  // " EVAL ..." is a path for LOAD
      {u"EVAL x=2\nIFEX %x==1,EVAL 0=one\nELSE IFEX %x==2,EVAL 1=two", 2, u"|two"},
      {u"EVAL x=3\nIFEX 1==1,LOAD \\nothing\\here", 3, u"|"},
      {u"EVAL x=5\nIFEX", 0, u"|"},
      {u"EVAL 0=ABC\nIFEX %0=abc,EVAL 1=same", 0, u"ABC|same"},
  };
  for (const Case& c : cases) {
    test::ResetUserVariables();
    EXPECT_EQ(RunText(c.script).result, c.result) << test::Shown(c.script);
    EXPECT_EQ(test::Variables(2), c.variables) << test::Shown(c.script);
  }
}

TEST(Ifex, TheBlockFormSkipsToTheNextIfexLine) {
  struct Case {
    std::u16string_view script;
    int32_t result;
    std::u16string_view ran;  // %0
  } cases[] = {
      {u"IFEX 1==2\nEVAL 0=%0A\nIFEX\nEVAL 0=%0B", 0, u"B"},
      {u"IFEX 1==1\nEVAL 0=%0A\nIFEX\nEVAL 0=%0B", 0, u"AB"},
      {u"EVAL x=5\nIFEX 1==2\nEVAL 0=%0A", 1, u""},
      {u"IFEX 1==2\nEVAL 0=%0A\nIFEX  \nEVAL 0=%0B\nIFEX\nEVAL 0=%0C", 0, u"C"},
      {u"IFEX 1==2\nEVAL 0=%0A\nEVAL 0=%0Stop IFEX\nEVAL 0=%0B", 0, u"B"},
      {u"IFEX 1==2\r\nEVAL 0=%0A\r\nIFEX\nEVAL 0=%0B\r\nIFEX\r\nEVAL 0=%0C\r\n", 0, u"C"},
      {u"IFEX 1==2\nEVAL 0=%0A\nifex\nEVAL 0=%0B\nIFEX\n", 0, u""},
      {u"IFEX 1==2\nIFEX 1==1\nEVAL 0=%0A\nIFEX\nEVAL 0=%0B", 0, u"B"},  // blocks don't nest
      {u"IFEX 1==2\nEVAL 0=%0A\nIFEX", 1, u""},  // "IFEX" at the very end has no line end
  };
  for (const Case& c : cases) {
    test::ResetUserVariables();
    EXPECT_EQ(RunText(c.script).result, c.result) << test::Shown(c.script);
    EXPECT_EQ(test::Variables(1), c.ran) << test::Shown(c.script);
  }
}

TEST(Else, TheLastConditionIsSharedByEveryRun) {
  test::ResetUserVariables();
  // The IFEX in the called procedure decides the caller's ELSE.
  EXPECT_EQ(RunText(u"CALL Check\nELSE EVAL 0=else\nENDP\nPROC Check\nIFEX 1==2,EVAL 0=then\nENDP").result, 0);
  EXPECT_EQ(test::Variables(1), u"else");
  // A block end and ELSE leave it alone; a later run still sees it.
  RunText(u"IFEX 1==1\nIFEX\nELSE EVAL 0=not");
  EXPECT_TRUE(engine::LastCondition());
  RunText(u"ELSE EVAL 0=later");
  EXPECT_EQ(test::Variables(1), u"else");
}

}  // namespace
}  // namespace orvinta
