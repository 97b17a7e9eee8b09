// The engine at its edges: the depth guard of nested runs, the result entry within its 260
// units, the text utilities (whose literals end in a zero, with AddressSanitizer watching what
// lies behind them), and the macros that ask the platform: date, time and special folders, and
// what a failure leaves. The end-to-end cases show the rest.
#include <map>

#include "base/text.h"
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

TEST(Log, ResultEntryKeepsWithin260UnitsAndEndsWithItsLineBreaks) {
  for (size_t length : {0, 240, 241, 242, 243, 2000}) {
    for (std::u16string_view ending : {u"", u"\r\n", u"\n"}) {
      std::u16string message = std::u16string(length, u'm') + std::u16string(ending);
      SCOPED_TRACE(testing::Message() << "message of " << message.size() << " units");
      FixedTextTime text;
      text.message = message;
      PoisonedBuffer<engine::kResultEntryUnits + 8> entry;  // any unit written past the entry shows
      size_t n = engine::BuildResultEntry(7, entry.units);
      ASSERT_LT(n, engine::kResultEntryUnits);
      EXPECT_EQ(entry.units[n], 0);
      ExpectPoisonedFrom(entry, n + 1);
      std::u16string written(entry.units, n), kept = message.substr(0, std::min<size_t>(length, 200));
      EXPECT_EQ(written.substr(0, 14 + kept.size()), u"     00000007 " + kept);
      EXPECT_EQ(written.substr(n - 3), u"\n\r\n") << "one empty line follows every entry";
      if (message.size() + 14 + 4 < engine::kResultEntryUnits) {
        EXPECT_EQ(written, u"     00000007 " + message + (ending.empty() ? u"\r\n\r\n" : u"\r\n"));
      }
    }
  }
}

TEST(TextUtils, PrefixLengthsStopAtTheEndOfTheFirstTextOrTheFirstDifference) {
  struct Case {
    std::u16string_view a, b;
    size_t common, noCase;
  } cases[] = {{u"LOA", u"LOAD", 3, 3},  {u"load", u"LOAD", 0, 4}, {u"abc  x", u"abc", 3, 5},
               {u"abcd", u"ABC", 0, 3}, {u"NOTE", u".oTE", 0, 4}, {u"a\x01", u"A!", 0, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(base::CommonPrefixLength(c.a.data(), c.b.data()), c.common) << Shown(c.a);
    EXPECT_EQ(base::PrefixLengthNoCase(c.a.data(), c.b.data()), c.noCase) << Shown(c.a);
  }
}

TEST(TextUtils, FindNoCaseFindsTheFirstOccurrence) {
  struct Case {
    std::u16string_view text, pattern;
    int at;  // -1: not found
  } cases[] = {{u"annexe", u".exe", -1}, {u"", u"", -1},        {u"abc", u"", 0},   {u"ab.ex", u".exe", -1},
               {u"..exe", u".exe", 1},    {u"p", u"0", -1},        {u"a", u"ab", -1}};
  for (const Case& c : cases) {
    const char16_t* found = base::FindNoCase(c.text.data(), c.pattern.data());
    EXPECT_EQ(found == nullptr ? -1 : found - c.text.data(), c.at) << Shown(c.text);
  }
}

// Special folders with fixed paths (a csidl missing from `folders` fails, leaving garbage);
// records each create flag.
class FixedFolders final : public ForwardingFiles {
 public:
  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    createFlags.push_back(create);
    auto found = folders.find(csidl);
    if (found == folders.end()) return std::copy_n(u"BAD", 4, buffer), false;
    buffer[found->second.copy(buffer, 259)] = 0;
    return true;
  }

  std::map<int, std::u16string> folders;
  std::vector<bool> createFlags;
};

TEST(Macros, DateTimeAndFoldersAppendThePlatformsTexts) {
  FixedFolders files;
  files.folders = {{win::kCsidlAppData, u"\\Application Data"}, {win::kCsidlPersonal, u"\\My Documents"},
                   {win::kCsidlStartup, u"\\Windows\\Startup"},  {win::kCsidlWindows, u"\\Windows"},
                   {win::kCsidlPrograms, u"\\Windows\\Programme"}, {win::kCsidlStartMenu, u"\\Windows\\Startmen\u00FC"},
                   {win::kCsidlProgramFiles, u"\\Program Files"}};
  FixedTextTime text;
  const ScriptCase cases[] = {  // each stores the expansion in %1
      {u"EVAL 1=<%T>%D", {.variables = u"|<12:34>06.05.2024||"}},
      {u"EVAL 1=%A;%Y;%S;%W", {.variables = u"|\\Application Data;\\My Documents;\\Windows\\Startup;\\Windows||"}},
      {u"EVAL 1=%P;%M;%F", {.variables = u"|\\Windows\\Programme;\\Windows\\Startmen\u00FC;\\Program Files||"}},
  };
  ExpectRuns(cases);
  EXPECT_EQ(files.createFlags, std::vector<bool>(7, true));
}

TEST(Macros, AFailedDateTimeOrFolderAppendsNothingAndNeverStepsBack) {
  FixedFolders files;  // knows no folder
  FixedTextTime text;
  text.time.reset();
  text.date = std::u16string(100, u'9');  // longer than the 80 units a date may take
  ExpectRun(u"EVAL 1=a%Tb%Dc%Ad%Ye%Sf%Wg%Ph%Mi%Fj", {.variables = u"|abcdefghij||"});
}

}  // namespace
}  // namespace orvinta::test
