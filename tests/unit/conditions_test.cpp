// Conditions, the IFEX block skip and the shared last condition; the conditions end-to-end cases
// show both forms of IFEX and ELSE in scripts.
#include "engine/conditions.h"
#include "engine/interpreter_state.h"

#include "support/device_files.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Conditions, EveryOperatorDecidesAsDescribed) {
  DeviceFolder folder;
  folder.Write(u"exists.ovs", "");
  const std::pair<std::u16string, bool> cases[] = {
      {u"01==1", true},  {u"x =x ", true},    {u"5>5", false},      {u"3<=2", false},  {u"5<5", false},
      {u"2&&1", true},   {u"2&&0", false},    {u"1!=1", false},     {u"abc!ABC", false}, {u"abc=", false},
      {u"=", true},      {u"!abc=abd", true}, {u"[=}", false},      {u"5>3=3", true},   {u"1=1==1", false},
      {u"7", false},     {u"!", true},  // "!" alone: the empty path is missing
      {folder.Device(u"EXISTS.OVS"), true}, {folder.Device(u"missing"), false},
  };
  for (const auto& [condition, outcome] : cases) {
    std::u16string text = condition;
    EXPECT_EQ(engine::EvaluateCondition(text.data()), outcome) << Shown(condition);
    EXPECT_EQ(engine::State().lastCondition, outcome) << Shown(condition);
  }
}

TEST(Ifex, TheBlockFormSkipsToTheNextIfexLine) {
  const ScriptCase cases[] = {  // %0 tells which lines ran
      {u"IFEX 1==2\r\nEVAL 0=%0A\r\nIFEX\nEVAL 0=%0B\r\nIFEX\r\nEVAL 0=%0C\r\n", {.variables = u"C|||"}},
      {u"IFEX 1==2\nEVAL 0=%0A\nifex\nEVAL 0=%0B\nIFEX\n", {.variables = u"|||"}},
      {u"IFEX 1==2\nIFEX 1==1\nEVAL 0=%0A\nIFEX\nEVAL 0=%0B", {.variables = u"B|||"}},  // blocks don't nest
      {u"IFEX 1==2\nEVAL 0=%0A\nIFEX", {.result = 1, .variables = u"|||"}},  // the last "IFEX" has no line end
  };
  ExpectRuns(cases);
}

TEST(Else, TheLastConditionIsSharedByEveryRunAndOnlyAConditionSetsIt) {
  // The IFEX in the called procedure decides the caller's ELSE; a block end and ELSE leave it.
  ExpectRun(u"CALL Check\nELSE EVAL 0=else\nENDP\nPROC Check\nIFEX 1==2,EVAL 0=then\nENDP", {.variables = u"else|||"});
  RunText(u"IFEX 1==1\nIFEX\nELSE EVAL 0=not");
  EXPECT_TRUE(engine::State().lastCondition);
}

}  // namespace
}  // namespace orvinta::test
