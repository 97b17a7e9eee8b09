// The script runner: line ends, comments, line building, the last result, and the limits of
// the line buffer and of the text.
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Runner, LineEndsCommentsBlankLinesAndTheLastResult) {
  const std::u16string kTwoBeeps = u"MessageBeep 1, MessageBeep 2";
  const ScriptCase cases[] = {
      {u"BEEP 1\rBEEP 2", {.calls = kTwoBeeps}},
      {u"BEEP 1\nBEEP 2\n", {.calls = kTwoBeeps}},
      {u"BEEP 1\r\nBEEP 2\r\n", {.calls = kTwoBeeps}},
      {u"BEEP 1\n\n\r\nBEEP 2", {.calls = kTwoBeeps}},
      {u"; BEEP 1\n   ;BEEP 2\n\t \n\t  BEEP 3", {.calls = u"MessageBeep 3"}},
      {u"", {.result = 0, .log = u""}},
      {u"\n\n; EVAL x=1\n  \t\n", {.result = 0, .log = u""}},
      {u"EVAL x=5", {.result = 5}},  // the last line needs no line break
      {u"EVAL x=5\n\n; comment\n   \n", {.result = 5}},
      {u"EVAL x=1\r\nEVAL x=%x2", {.result = 12}},
      {u"EVAL x=%x1", {.result = 1}},  // each run starts with last result 0, not the previous run's 12
      {u"MSGX a ; b", {.result = kNotImpl, .log = Logged(u"MSGX a ; b", kNotImpl)}},
  };
  ExpectRuns(cases);
}

TEST(Runner, BuildsTheLineFromMacrosSeparatorsAndTheTextEnd) {
  const ScriptCase cases[] = {
      {u"EVAL 1=a,b%,c", {.variables = u"|a\x01" u"b,c||"}},
      {u"EVAL 1=ab%\r\nEVAL x=3", {.result = 3, .variables = u"|ab\r||"}},  // the CR is in the line, the LF ends it
      {u"EVAL 1=ab%\ncd\nEVAL x=3", {.result = 3, .variables = u"|ab\ncd||"}},  // bare LF: the next line joins
      {u"EVAL 1=ab%\rcd", {.variables = u"|ab\rcd||"}},
      {u"EVAL 1=ab%", {.variables = u"|ab||"}},  // a "%" or an incomplete "%#" at the very end ends the text
      {u"EVAL 1=ab%#", {.variables = u"|ab||"}},
      {u"EVAL 1=ab%#004", {.variables = u"|ab||"}},
      {u"EVAL 1=ab%#0041", {.variables = u"|abA||"}},
  };
  ExpectRuns(cases);
}

TEST(Runner, CutsALineAtTheBufferSizeAndGoesOn) {
  struct Case {
    std::u16string_view piece, expansion;
  } cases[] = {{u"a", u"a"}, {u",", u"\x01"}, {u"%#0041", u"A"}, {u"%x", u"0"}, {u"%E", kScriptPath}, {u"%R", u"\r"}};
  for (const Case& c : cases) {
    std::u16string script = u"MSGX ", expanded = u"MSGX ";
    for (int i = 0; i < 1100; ++i) script += c.piece, expanded += c.expansion;
    std::u16string line = expanded.substr(0, engine::kLineBufferUnits - 1);
    ExpectRun(script + u"\nEVAL x=4", {.result = 4, .log = Logged(line, kNotImpl) + Logged(u"EVAL x=4", 4)});
  }
}

}  // namespace
}  // namespace orvinta::test
