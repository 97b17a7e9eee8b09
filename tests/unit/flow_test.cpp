// CALL, GOTO, PROC and ENDP: targets below the current line, nested runs, and the depth guard.
// "EVAL 2=%2b" in a body counts how often it ran.
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Flow, FindsTargetsByExactTextBelowTheCurrentLine) {
  const ScriptCase cases[] = {  // variables: %0|%1|%2|%3 afterwards
      {u"CALL X\nEVAL 1=%x\nPROC X\nEVAL 2=%2b\nENDP X", {.variables = u"|0|b|"}},
      {u"PROC X\nEVAL 2=%2b\nENDP X\nCALL X\nEVAL 1=%x", {.variables = u"|1||"}},  // only below
      {u"PROC X\nENDP X\nCALL X", {.result = 1}},
      {u"CALL Set\nEVAL 1=%x\nPROC Setup\nEVAL 2=%2b\nENDP Setup", {.variables = u"|0|b|"}},
      {u"CALL  A\nEVAL 1=%x\nPROC A\nEVAL 2=%2b\nENDP A", {.variables = u"|1||"}},
      {u"CALL A \nEVAL 1=%x\nPROC A\nEVAL 2=%2b\nENDP A", {.variables = u"|1||"}},
      {u"CALL a\nEVAL 1=%x\nPROC A\nEVAL 2=%2b\nENDP A", {.variables = u"|1||"}},
      {u"CALL X,Y\nEVAL 1=%x\nPROC X,Y\nENDP X,Y", {.result = 1, .variables = u"|1||"}},  // commas never match
      {u"CALL X\nEVAL 1=%x\n; PROC X\nEVAL 2=%2b\nENDP X", {.variables = u"|0|bb|"}},  // a comment holds the key
      {u"EVAL 0=Z\nGOTO %0\nEVAL 1=skipped\nPROC Z\nEVAL 2=%2b\nENDP Z", {.variables = u"Z||b|"}},
      {u"GOTO X\nEVAL 1=skipped\nEVAL 3=PROC X\nEVAL 2=%2b", {.variables = u"||b|"}},
      {u"GOTO X\rEVAL 1=a\rPROC X\rEVAL 2=b\rEVAL 3=c\nEVAL 0=d", {.variables = u"d|||"}},  // a CR alone is no line end
      {u"GOTO X\nEVAL 1=a\nPROC X", {.variables = u"|||"}},
      {u"GOTO Done\nEVAL 1=skipped\nPROC Done\nEVAL 2=bye\nENDP Done\nEVAL 3=never", {.variables = u"||bye|"}},
      {u"EVAL x=5\nPROC P\nEVAL 1=body\nEVAL 2=after", {.result = 1, .variables = u"|||"}},
      {u"EVAL x=5\nENDP\nEVAL 1=never", {.result = 0, .variables = u"|||"}},
      // A called body starts with last result 0; CALL yields what the body left at the end of the text.
      {u"EVAL x=5\nCALL X\nEVAL 3=%x\nPROC X\nEVAL 1=%x\nEVAL x=9", {.result = 1, .variables = u"|0||9"}},
      {u"CALL A\nPROC A\nPROC B\nEVAL 1=inner\nENDP B\nEVAL 2=outer\nENDP A", {.variables = u"||outer|"}},
      {u"CALL A\nEVAL 3=back%x\nPROC A\nGOTO B\nEVAL 1=no\nPROC B\nEVAL 2=b\nENDP B\nENDP A",
       {.variables = u"||b|back0"}},
      {u"CALL P\nPROC P\nEVAL x=2\nENDP P",
       {.log = u"CALL P\r\n" + Logged(u"EVAL x=2", 2) + Logged(u"ENDP P", 0) + Entry(0) + Logged(u"PROC P", 0)}},
  };
  ExpectRuns(cases);
}

TEST(Flow, RunsNestAtMost256DeepAndTheGuardIsReleased) {
  struct Case {
    int copies;  // of "CALL P\nPROC P\n": each CALL opens one more nested run
    size_t callsLogged, overflows;
  } cases[] = {{400, 256, 1}, {256, 256, 1}, {255, 255, 0}};  // the last finds the guard released
  for (const Case& c : cases) {
    std::u16string script;
    for (int i = 0; i < c.copies; ++i) script += u"CALL P\nPROC P\n";
    std::u16string log = RunText(script).log;
    auto count = [&log](std::u16string_view text) {
      size_t n = 0;
      for (size_t at = log.find(text); at != log.npos; at = log.find(text, at + 1)) ++n;
      return n;
    };
    EXPECT_EQ(count(u"CALL P\r\n"), c.callsLogged) << c.copies;
    EXPECT_EQ(count(u" 000003E9 "), c.overflows) << c.copies;
  }
}

}  // namespace
}  // namespace orvinta::test
