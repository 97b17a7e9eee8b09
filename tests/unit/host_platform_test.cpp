// The host's platform pieces: UTF-8 at its edges, the virtual device's paths, its system
// message table and its log file.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/host/log_file.h"
#include "platform/host/device_paths.h"
#include "platform/host/system_messages.h"
#include "base/utf8.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

namespace fs = std::filesystem;
namespace host = platform::host;

TEST(HostUnicode, Utf8BecomesUtf16WithOneReplacementPerOffendingByte) {
  struct Case {
    std::string_view utf8;
    std::u16string_view utf16;
  } cases[] = {
      {"A\xC3\xA9\xE2\x82\xAC", u"A\u00E9\u20AC"},  {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"\xC0\x80", u"\uFFFD\uFFFD"},                  {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},  // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xE2\x82" "A", u"\uFFFD\uFFFDA"},             {"\xE2\x82", u"\uFFFD\uFFFD"},  // cut short
      {"\x80\xFF" "b", u"\uFFFD\uFFFDb"},             {std::string_view("a\0b", 3), std::u16string_view(u"a\0b", 3)},
  };
  for (const Case& c : cases) {
    auto exact = std::make_unique<char[]>(c.utf8.size());  // nothing readable behind the text
    std::copy(c.utf8.begin(), c.utf8.end(), exact.get());
    EXPECT_EQ(base::Utf8ToUtf16({exact.get(), c.utf8.size()}), c.utf16) << testing::PrintToString(std::string(c.utf8));
  }
}

TEST(HostDevicePaths, DevicePathsMapBelowTheRootMatchingExistingNamesWithoutCase) {
  const std::string& root = host::DeviceRoot();
  ASSERT_EQ(root, std::getenv("ORVINTA_ROOT"));
  for (const char* folder : {"/Windows/Start Menu", "/\xC3\xA4rger", "/Dup", "/dup"}) {
    fs::create_directories(root + folder);
  }
  struct Case {
    std::u16string_view path;
    std::string below;  // the host path below the root
  } cases[] = {
      {u"\\Windows\\x.txt", "/Windows/x.txt"}, {u"\\WINDOWS\\START MENU\\New", "/Windows/Start Menu/New"},
      {u"\\windows\\..\\..\\..\\etc\\passwd", "/etc/passwd"}, {u"\\a\\.\\b\\..\\c", "/a/c"},
      {u"\\Windows//x", "/Windows/x"}, {u"\\\u00C4RGER", "/\xC3\xA4rger"}, {u"\\dup", "/dup"}, {u"\\Dup", "/Dup"},
      {u"\\", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(host::HostPathFor(c.path), root + c.below) << Shown(c.path);
  EXPECT_EQ(host::HostPathFor(u"/abs/x.ovs"), "/abs/x.ovs");
  EXPECT_EQ(host::HostPathFor(u"./dir/a.ovs"), "./dir/a.ovs");
}

TEST(HostServices, SystemMessagesAreCutToTheBuffer) {
  EXPECT_EQ(host::SystemMessageText(2), u"The system cannot find the file specified.\r\n");
  EXPECT_TRUE(host::SystemMessageText(0xFFFFFFFF).empty());

  PoisonedBuffer<16> cut;
  EXPECT_EQ(platform::Get().text->FormatSystemMessage(2, cut.units, 10), 9u);
  EXPECT_EQ(std::u16string(cut.units), u"The syste");
  EXPECT_EQ(platform::Get().text->FormatSystemMessage(2, cut.units + 12, 0), 0u);
  ExpectPoisonedFrom(cut, 10);
}

// Through the host's UTF-16 to UTF-8 conversion: pairs join, lone surrogates become U+FFFD.
TEST(HostServices, LogAppendsUtf8ToTheFileNamedByOrvintaLog) {
  const std::string path = std::getenv("ORVINTA_LOG");
  ASSERT_TRUE(platform::Get().log->Enabled());
  auto before = fs::exists(path) ? fs::file_size(path) : 0;
  platform::Get().log->Append(u"\u00E9\u07FF\xD83D\xDE00\xDBFF\xDFFF\xDC00\r\n");
  platform::Get().log->Append(u"\xD83Dx");
  platform::host::FlushLog();  // entries are gathered in memory
  std::ifstream file(path, std::ios::binary);
  file.seekg(static_cast<std::streamoff>(before));
  std::stringstream appended;
  appended << file.rdbuf();
  EXPECT_EQ(appended.str(), "\xC3\xA9\xDF\xBF\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBD\r\n\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace orvinta::test
