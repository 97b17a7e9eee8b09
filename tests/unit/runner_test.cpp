// The runner's line buffer: a line longer than 1,023 units, however it grows, is cut there and
// the script goes on. The lines end-to-end cases show line ends, comments and the text's end.
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Runner, CutsALineAtTheBufferSizeAndGoesOn) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"a", u"a"}, {u",", u"\x01"}, {u"%#0041", u"A"}, {u"%x", u"0"}, {u"%E", kScriptPath}, {u"%R", u"\r"}};
  for (const auto& [piece, expansion] : cases) {
    std::u16string script = u"EVAL 1=", expanded = u"EVAL 1=";
    for (int i = 0; i < 1100; ++i) script += piece, expanded += expansion;
    std::u16string line = expanded.substr(0, engine::kLineBufferUnits - 1);
    ExpectRun(script + u"\nEVAL x=4", {.result = 4, .log = Logged(line, 0) + Logged(u"EVAL x=4", 4)});
  }
}

}  // namespace
}  // namespace orvinta::test
