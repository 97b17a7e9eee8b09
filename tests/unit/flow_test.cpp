// CALL, GOTO, PROC and ENDP: what the flow end-to-end cases leave out, and the depth guard.
#include "support/script.h"

namespace orvinta::test {
namespace {

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
