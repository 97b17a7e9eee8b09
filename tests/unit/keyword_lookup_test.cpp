// The dispatcher's keyword lookup and the runner's copy of the runs between special units, at
// their edges: every keyword with one unit off, units just outside the capitals, and runs of
// every length the copy treats differently.
#include <string>

#include "support/script.h"

namespace orvinta::test {
namespace {

constexpr std::u16string_view kKeywords[] = {
    u"LOAD", u"BATC", u"IFEX", u"ELSE", u"CALL", u"GOTO", u"PROC", u"ENDP", u"PLAY", u"BEEP", u"MSGX", u"DLGX", u"LINK",
    u"FILE", u"REGX", u"TGZX", u"SEND", u"WAIT", u"KILL", u"SHUT", u"EXEC", u"CDLL", u"EVAL", u"ASOC", u"OVUI", u"HELP",
};

TEST(KeywordLookup, AKeywordWithOneUnitOffIsAThingToOpen) {
  for (std::u16string_view keyword : kKeywords) {
    for (size_t unit = 0; unit < 4; ++unit) {
      std::u16string near(keyword);
      near[unit] = static_cast<char16_t>(near[unit] + 32);  // lower case: no keyword has it
      ExpectRun(near + u" 1", {.result = kNotFound});
    }
    ExpectRun(keyword.substr(0, 3), {.result = kNotFound});
  }
}

TEST(KeywordLookup, FindsKeywordsAndNothingBesideTheCapitals) {
  const ScriptCase cases[] = {
      {u"LOAD", {.result = kNotFound}},  // the first entry
      {u"GOTO nowhere", {.result = 1}},
      {u"@EVAL", {.result = kNotFound}},
      {u"E@AL", {.result = kNotFound}},
      {u"E[AL", {.result = kNotFound}},
      {u"\u0100VAL", {.result = kNotFound}},
      {u"E\u0156AL", {.result = kNotFound}},
      {u"EVAL\t  x5", {.result = 5}},
  };
  ExpectRuns(cases);
}

TEST(RunnerCopy, RunsOfEveryLengthArriveWhole) {
  for (size_t n = 0; n <= 40; ++n) {
    std::u16string before, after(n, u'b');
    for (size_t i = 0; i < n; ++i) before += static_cast<char16_t>(u'a' + i % 26);
    ExpectRun(u"EVAL 1=" + before + u"%%" + after + u"\r\nEVAL 2=" + after,
              {.variables = u"|" + before + u"%" + after + u"|" + after + u"|"});
  }
}

}  // namespace
}  // namespace orvinta::test
