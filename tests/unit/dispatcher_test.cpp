// The dispatcher: keyword matching, texts without a keyword, BATC, and BEEP and WAIT.
#include "engine/command_handlers.h"
#include "engine/dispatcher.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Dispatcher, MatchesExactlyTheFirstFourUnitsAndRunsBatcPiecesInTheCallersContext) {
  const int32_t kNotFound = win::AsResult(win::kErrorFileNotFound);  // what LOAD finds of these texts
  const ScriptCase cases[] = {
      {u"BEEP 5", {.calls = u"MessageBeep 5"}},     {u"BEEP\t 5", {.calls = u"MessageBeep 5"}},
      {u"BEEP    5", {.calls = u"MessageBeep 5"}},  {u"BEEP5", {.calls = u"MessageBeep 5"}},
      {u"BEEP", {.calls = u"MessageBeep 0"}},       {u"BEEP 0x30 ", {.calls = u"MessageBeep 48"}},
      {u"BEEPX", {.calls = u"MessageBeep 0"}},  // the fifth unit is not looked at
      {u"beep 5", {.result = kNotFound, .calls = u""}},  // no keyword: LOAD
      {u"BEE", {.result = kNotFound, .calls = u""}}, {u"EVAL\tx=3", {.result = 3}},
      {u"WAIT", {.calls = u"Sleep 0"}},             {u"WAIT 0x3E8", {.calls = u"Sleep 1000"}},
      {u"WAIT -1", {.calls = u"Sleep 0"}},
      {u"BATC BEEP 1;WAIT 100", {.calls = u"MessageBeep 1, Sleep 100", .log = Logged(u"BATC BEEP 1;WAIT 100", 0)}},
      {u"BATC BEEP 1; WAIT 100", {.result = kNotFound, .calls = u"MessageBeep 1"}},  // " WAIT 100" is opened
      {u"BATC BEEP 1;", {.result = kNotFound, .calls = u"MessageBeep 1"}},
      {u"BATC", {.result = kNotFound, .calls = u""}},
      {u"BATC BEEP 1;;BEEP 2", {.calls = u"MessageBeep 1, MessageBeep 2"}},
      {u"BATC BEEP 1%;BEEP 2", {.calls = u"MessageBeep 1, MessageBeep 2"}},  // "%;" still separates
      {u"BATC BEEP 2;EVAL x=7", {.result = 7, .calls = u"MessageBeep 2"}},
      {u"BATC EVAL x=7;BEEP 2", {.result = 0, .calls = u"MessageBeep 2"}},
      {u"BATC BEEP 1;GOTO X\nBEEP 2\nPROC X\nBEEP 3\nENDP X", {.calls = u"MessageBeep 1, MessageBeep 3"}},
  };
  ExpectRuns(cases);
  RecordingDevice failing;
  failing.beepSucceeds = false;
  ExpectRun(u"BEEP 16", {.result = 1, .calls = u"MessageBeep 16"});
}

TEST(Dispatcher, TextWithoutKeywordOpensByExeThenDllElseLoad) {
  struct Case {
    std::u16string_view text;
    engine::CommandHandler opener;
  } cases[] = {
      {u"\\Windows\\calc.exe", engine::HandleExec}, {u"\\Windows\\a.DLL", engine::HandleCdll},
      {u"\\Docs\\readme.txt", engine::HandleLoad},  {u"\\Docs\\ANNEXE.ovs", engine::HandleExec},
      {u"\\Docs\\annexe.ovs", engine::HandleLoad},  {u"\\a.dll\\b.exe", engine::HandleExec},
      {u"\\a.exe.dll", engine::HandleExec},         {u"\\Docs\\KNDLL", engine::HandleCdll},
      {u"msgx Hi", engine::HandleLoad},             {u"", engine::HandleLoad},
      {u"x.ex", engine::HandleLoad},                {u"\"\\Storage Card\\setup.EXE\" /q", engine::HandleExec},
  };
  for (const Case& c : cases) EXPECT_EQ(engine::OpenerFor(c.text.data()), c.opener) << Shown(c.text);
}

}  // namespace
}  // namespace orvinta::test
