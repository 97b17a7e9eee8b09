// The registry commands on the host's registry, for what the registry end-to-end cases can't
// show: a byte list at its buffer's edge, the types no later run can read back whole, and a
// change that cannot be made lasting.
#include <gtest/gtest.h>

#include "registry/importer.h"
#include "registry/registry_key.h"
#include "support/hive.h"
#include "support/script.h"

namespace orvinta::registry {
namespace {

using test::Bytes;
using test::Sz;

// The end-to-end cases show the digit rules; this is the buffer's edge, which ASan watches.
TEST(ParseByteList, AOneDigitLastItemEndsAtTheTerminator) {
  std::u16string list = u"7";
  for (int i = 1; i < 1000; ++i) list += u",7";
  auto text = std::make_unique<char16_t[]>(list.size() + 1);
  std::copy(list.begin(), list.end() + 1, text.get());
  EXPECT_EQ(ParseByteList(text.get()), 1000u);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(text.get())[999], 0x07);
}

TEST(FileImport, WritesTheTypesNoLaterRunCanReadWhole) {
  const std::u16string key = u"[HKEY_LOCAL_MACHINE\\Software\\T]\r\n";
  struct Case {
    std::u16string line;  // imported in file mode
    std::u16string name;  // then the value HKLM\Software\T\name
    test::StoredValue stored;
  } cases[] = {
      {u"@=\"d\"", u"", Sz(u"d")},
      {u"\"q\"=hex(b):01,00,00,00,00,00,00,00", u"q", Bytes(11, {1, 0, 0, 0, 0, 0, 0, 0})},
      {u"\"m\"=multi_sz:\"a\",\"b\"", u"m", Bytes(7, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
      {u"\"m\"=mui_sz:\"@res\"", u"m", Sz(u"@res", 21)},
  };
  for (const Case& c : cases) {
    test::TempHive hive;
    std::u16string text = key + c.line + u"\r\n";
    EXPECT_EQ(ImportRegistryText(text.data(), nullptr), 0) << test::Shown(c.line);
    EXPECT_EQ(test::ReadValue(win::kHkeyLocalMachine, u"Software\\T", c.name), c.stored) << test::Shown(c.line);
  }
}

// Every command that commits (REGX, a registry file through LOAD, a registry block, ASOC)
// answers with the commit's failure, here a full disk.
TEST(RegistryCommit, AFullDiskIsTheResultOfEveryCommandThatCommits) {
  test::DeviceFolder folder;
  folder.Write(u"x.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=\"1\"\r\n");
  const std::u16string scripts[] = {
      u"REGX HKCU\\S\\v=1",
      u"LOAD " + folder.Device(u"x.reg"),
      u"[HKEY_CURRENT_USER\\S]\r\n\"v\"=\"1\"\r\n",
      u"ASOC .zzz",
      u"ASOC !",  // the class that the setup below made
  };
  for (const std::u16string& script : scripts) {
    SCOPED_TRACE(test::Shown(script));
    test::TempHive hive;
    ASSERT_EQ(test::RunText(u"ASOC").result, 0);
    test::SystemCallFault<&platform::host::SystemCalls::write> full(-1, ENOSPC);
    ::testing::internal::CaptureStderr();
    int32_t result = test::RunText(script).result;
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, win::AsResult(win::kErrorDiskFull));
    EXPECT_NE(said.find("error 112"), std::string::npos) << said;
  }
}

}  // namespace
}  // namespace orvinta::registry
