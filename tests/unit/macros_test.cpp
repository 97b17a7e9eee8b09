// Macros: what each "%" and character appends to the line, and what a platform failure leaves.
#include "support/script.h"

namespace orvinta::test {
namespace {

const std::map<int, std::u16string> kFolders = {
    {win::kCsidlAppData, u"\\Application Data"}, {win::kCsidlPersonal, u"\\My Documents"},
    {win::kCsidlStartup, u"\\Windows\\Startup"},  {win::kCsidlWindows, u"\\Windows"},
    {win::kCsidlPrograms, u"\\Windows\\Programme"}, {win::kCsidlStartMenu, u"\\Windows\\Startmen\u00FC"},
    {win::kCsidlProgramFiles, u"\\Program Files"}};

TEST(Macros, EachMacroAppendsItsText) {
  FakeFiles files;
  files.folders = kFolders;
  FixedTextTime text;
  const ScriptCase cases[] = {  // each stores the expansion in %1
      {u"EVAL 1=%E", {.variables = u"|" + std::u16string(kScriptPath) + u"||"}},
      {u"EVAL 1=%C", {.variables = u"|\\Storage Card\\Setup||"}},
      {u"EVAL 1=<%T>%D", {.variables = u"|<12:34>06.05.2024||"}},
      {u"EVAL 1=%A;%Y;%S;%W", {.variables = u"|\\Application Data;\\My Documents;\\Windows\\Startup;\\Windows||"}},
      {u"EVAL 1=%P;%M;%F", {.variables = u"|\\Windows\\Programme;\\Windows\\Startmen\u00FC;\\Program Files||"}},
      {u"EVAL 1=%R%N", {.variables = u"|\r\n||"}},
      {u"EVAL x=-1\nEVAL 1=%x %X", {.variables = u"|-1 0XFFFFFFFF||"}},
      {u"EVAL x=31\nEVAL 1=%x %X", {.variables = u"|31 0X1F||"}},
      {u"EVAL x=0\nEVAL 1=%x %X", {.variables = u"|0 0||"}},
      {u"EVAL x=0x80000000\nEVAL 1=%x %X", {.variables = u"|-2147483648 0X80000000||"}},
      {u"EVAL x=7\nEVAL 1=%%x %Q%e%a%,%;%#", {.variables = u"|%x Qea,;||"}},
      {u"EVAL 1=%#0041%#feff%#00G1%#GGGG%#000D", {.variables = u"|A\uFEFF\uFFF1\uEEEF\r||"}},
      {u"EVAL 1=ab%#0000cd", {.variables = u"|ab||"}},  // a zero unit ends the text that handlers see
      {u"EVAL 2=%%x,%#0025\nEVAL 1=%2", {.variables = u"|%x\x01%|%x\x01%|"}},  // expansions are not scanned again
      {u"EVAL 2=a%,b\nEVAL 1=%2;%9", {.variables = u"|a,b;|a,b|"}},
  };
  ExpectRuns(cases);
  EXPECT_EQ(files.createFlags, std::vector<bool>(7, true));
}

TEST(Macros, AFailedDateTimeOrFolderAppendsNothingAndNeverStepsBack) {
  FakeFiles files;  // knows no folder
  FixedTextTime text;
  text.time.reset();
  text.date = std::u16string(100, u'9');  // longer than the 80 units a date may take
  ExpectRun(u"EVAL 1=a%Tb%Dc%Ad%Ye%Sf%Wg%Ph%Mi%Fj", {.variables = u"|abcdefghij||"});
}

TEST(Macros, DirectoryOfTheScriptEndsBeforeItsLastSeparator) {
  struct Case {
    const char16_t* path;
    bool slashSeparates;
    std::u16string_view directory;
  } cases[] = {{u"\\Storage Card\\a.ovs", false, u"\\Storage Card"}, {u"\\a.ovs", false, u""}, {u"a.ovs", false, u""},
               {u"", false, u""}, {u"\\x\\y/z.ovs", false, u"\\x"}, {u"\\x\\y/z.ovs", true, u"\\x\\y"},
               {u"/home/u/a.ovs", true, u"/home/u"}};
  for (const Case& c : cases) {
    FakeFiles files;
    files.slashSeparates = c.slashSeparates;
    RunText(u"EVAL 1=%C", c.path);
    EXPECT_EQ(std::u16string(engine::UserVariable(1)), c.directory) << Shown(c.path);
  }
}

}  // namespace
}  // namespace orvinta::test
