// The dispatcher: the keyword's four units and BATC pieces. The dispatch and batc end-to-end
// cases show the common forms and what opens a text without a keyword.
#include "engine/dispatcher.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Dispatcher, MatchesExactlyTheFirstFourUnitsAndRunsEveryBatcPiece) {
  const ScriptCase cases[] = {
      {u"BEEP\t 5", {.calls = Calls{Call("MessageBeep", 5)}}},
      {u"BEEPX", {.calls = Calls{Call("MessageBeep", 0)}}},  // the fifth unit is not looked at
      {u"BEE", {.result = kNotFound, .calls = Calls{}}},       // no keyword: LOAD
      {u"BATC BEEP 1;;BEEP 2", {.calls = Calls{Call("MessageBeep", 1), Call("MessageBeep", 2)}}},
  };
  ExpectRuns(cases);
  RecordingDevice failing(false);
  ExpectRun(u"BEEP -1", {.result = 1, .calls = Calls{Call("MessageBeep", 0xFFFFFFFF)}});
}

}  // namespace
}  // namespace orvinta::test
