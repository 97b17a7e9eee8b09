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

// A character the code page lacks is shown by the link-limits end-to-end case; a lone surrogate
// can't be written in a case.
TEST(Link, ALoneSurrogateGivesEFailAndNoFile) {
  DeviceFolder folder;
  EXPECT_EQ(test::RunText(u"LINK " + folder.Device(u"s.lnk") + u",\\a\xD800.exe").result, kEFail);
  EXPECT_FALSE(std::filesystem::exists(folder.Host(u"s.lnk")));
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
