// LINK: texts that can't be written as they are give E_FAIL and write nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/file_commands.h"
#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

namespace pf = platform;
using test::DeviceFolder;

const int32_t kEFail = win::AsResult(win::kEFail);

TEST(Link, ATextTheCodePageCannotHoldGivesEFailAndNoFile) {
  test::ScopedCodePage page(936);
  DeviceFolder folder;
  const std::u16string path = folder.Device(u"s.lnk");
  struct Case {
    const char* what;
    std::u16string fields;
    int32_t result;
  } cases[] = {
      {"a character 936 lacks", u",\\\uAC00.exe", kEFail},
      {"a lone surrogate", u",\\a\xD800.exe", kEFail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(folder.Host(u"s.lnk"));
    EXPECT_EQ(test::RunText(u"LINK " + path + c.fields).result, c.result);
    EXPECT_EQ(std::filesystem::exists(folder.Host(u"s.lnk")), c.result == 0);
  }
}

// A script line can't make a text longer than the 1024-unit buffer (it holds 1023 units with
// its command), but a longer argument must still be refused, never written past the buffer.
TEST(Link, AShortcutTextLongerThanItsBufferIsEFail) {
  DeviceFolder folder;
  engine::ScriptContext context{};
  for (size_t targetLength : {1018u, 1019u, 1500u}) {
    std::u16string argument = folder.Device(u"long.lnk") + u'\x01' + std::u16string(targetLength, u'a');
    argument.push_back(0);
    const int32_t result = files::HandleLink(nullptr, argument.data(), context);
    EXPECT_EQ(result, targetLength == 1018 ? 0 : kEFail) << targetLength << " units: 4 digits, '#' and the target";
  }
}

TEST(Link, AFileThatCannotBeWrittenIsEFailAndTheMadeFoldersStay) {
  DeviceFolder folder;
  test::SystemCallFault<&pf::host::SystemCalls::write> full(1, ENOSPC);
  EXPECT_EQ(test::RunText(u"LINK " + folder.Device(u"made\\x.lnk") + u",\\a.exe").result, kEFail);
  EXPECT_TRUE(std::filesystem::is_directory(folder.Host(u"made")));
}

}  // namespace
}  // namespace orvinta
