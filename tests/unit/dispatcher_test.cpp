// The dispatcher: the keyword's four units, BATC pieces, and what opens a text without a
// keyword. The dispatch and batc end-to-end cases show the common forms.
#include "engine/command_handlers.h"
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

TEST(Dispatcher, TextWithoutKeywordOpensByExeThenDllElseLoad) {
  const std::pair<std::u16string_view, engine::CommandHandler> cases[] = {
      {u"\\a.dll\\b.exe", engine::HandleExec}, {u"\\a.exe.dll", engine::HandleExec},
      {u"\\Docs\\KNDLL", engine::HandleCdll},  {u"", engine::HandleLoad},
      {u"x.ex", engine::HandleLoad},           {u"\"\\Storage Card\\setup.EXE\" /q", engine::HandleExec},
  };
  for (const auto& [text, opener] : cases) EXPECT_EQ(engine::OpenerFor(text.data()), opener) << Shown(text);
}

}  // namespace
}  // namespace orvinta::test
