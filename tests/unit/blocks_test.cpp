// Registry blocks: only a line whose raw text begins with "[" goes to the importer.
#include "support/script.h"

namespace orvinta::test {
namespace {

// A line is a block when its raw text begins with "[": one that only expands to "[" is a command
// line, run once, and never handed to the importer again and again.
TEST(RegistryBlock, OnlyARawLineBeginningWithBracketIsImportedAndNothingLoops) {
  const ScriptCase cases[] = {
      {u"[A]", {.result = 0, .log = u""}},  // a key line is registry text, known root or not
      {u"%#005BA]\nEVAL x=%x",
       {.result = kNotFound, .log = Logged(u"[A]", kNotFound) + Logged(u"EVAL x=2", kNotFound)}},
      {u"EVAL 0=[\n  %0B]", {.result = kNotFound, .log = Logged(u"EVAL 0=[", 0) + Logged(u"[B]", kNotFound)}},
  };
  ExpectRuns(cases);
}

}  // namespace
}  // namespace orvinta::test
