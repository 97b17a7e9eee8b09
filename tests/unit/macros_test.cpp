// Macros that ask the platform: date, time and special folders, what a failure leaves, and the
// script's folder. The macros end-to-end cases show the characters and the last result.
#include <map>

#include "support/script.h"

namespace orvinta::test {
namespace {

// Special folders with fixed paths (a csidl missing from `folders` fails, leaving garbage);
// records each create flag. Only "\" separates folders unless `slashSeparates` is set, and
// then "/" too in paths that do not begin with "\", as on the host.
class FixedFolders final : public ForwardingFiles {
 public:
  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    createFlags.push_back(create);
    auto found = folders.find(csidl);
    if (found == folders.end()) return std::copy_n(u"BAD", 4, buffer), false;
    buffer[found->second.copy(buffer, 259)] = 0;
    return true;
  }
  bool IsPathSeparator(std::u16string_view path, size_t at) const override {
    return path[at] == u'\\' || (slashSeparates && path[at] == u'/' && path[0] != u'\\');
  }

  std::map<int, std::u16string> folders;
  bool slashSeparates = false;
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

TEST(Macros, DirectoryOfTheScriptEndsBeforeItsLastSeparator) {
  struct Case {
    const char16_t* path;
    bool slashSeparates;
    std::u16string_view directory;
  } cases[] = {{u"\\a.ovs", false, u""}, {u"a.ovs", false, u""}, {u"\\x\\y/z.ovs", false, u"\\x"},
               {u"\\x\\y/z.ovs", true, u"\\x"}, {u"/home/u/a.ovs", true, u"/home/u"}, {u"u/v\\a.ovs", true, u"u/v"}};
  for (const Case& c : cases) {
    FixedFolders files;
    files.slashSeparates = c.slashSeparates;
    RunText(u"EVAL 1=%C", c.path);
    EXPECT_EQ(std::u16string(engine::UserVariable(1)), c.directory) << Shown(c.path);
  }
}

}  // namespace
}  // namespace orvinta::test
