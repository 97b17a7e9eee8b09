// The registry-script importer in file mode; the registry end-to-end cases show blocks in scripts.
#include "registry/importer.h"

#include <gtest/gtest.h>

#include "support/hive.h"
#include "support/script.h"

namespace orvinta::registry {
namespace {

using test::Bytes;
using test::Dword;
using test::ReadValue;
using test::StoredValue;
using test::Sz;
using test::TempHive;

constexpr int32_t kNotRegistryText = 1017;

int32_t ImportFile(std::u16string text) { return ImportRegistryText(text.data(), nullptr); }

const std::u16string kKey = u"[HKEY_LOCAL_MACHINE\\Software\\T]\r\n";

TEST(FileImport, WritesWhatTheTextStates) {
  struct Case {
    std::u16string text;  // imported in file mode
    int32_t result;
    std::u16string name;  // then the value HKLM\Software\T\name
    std::optional<StoredValue> stored;
  } cases[] = {
      {kKey + u"@=\"d\"\r\n", 0, u"", Sz(u"d")},
      {kKey + u"\"s\"=\"a\\\"b\\\\c\"\r\n", 0, u"s", Sz(u"a\"b\\c")},
      {u"[HKLM\\Software\\T]\n\"s\"=\"x\"\n", 0, u"s", Sz(u"x")},
      {kKey + u"\"d\"=DWORD:ffffffff\r\n", 0, u"d", Dword(0xFFFFFFFF)},
      {kKey + u"\"b\"=hex:01,ff\r\n", 0, u"b", Bytes(3, {1, 0xFF})},
      {kKey + u"\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n", 0, u"q", Bytes(11, {1, 0, 0, 0, 0, 0, 0, 0})},
      {kKey + u"\"b\"=hex:01,02,\\\r\n  03,04\r\n", 0, u"b", Bytes(3, {1, 2, 3, 4})},
      {kKey + u"\"m\"=multi_sz:\"a\",\"b\"\r\n", 0, u"m", Bytes(7, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
      {kKey + u"\"m\"=mui_sz:\"@res\"\r\n", 0, u"m", Sz(u"@res", 21)},
      {kKey + u"\"s\"=\"x\"\r\n\"s\"=-\r\n", 0, u"s", std::nullopt},
      {kKey + u"; note\r\n\r\n\t \"s\"=\"x\"\r\n", 0, u"s", Sz(u"x")},
      {kKey + u"\"s=\"x\"\r\n\"t\"=\"y\"\r\n", 0, u"t", Sz(u"y")},  // a name without its closing quote is ignored
      {u"\"s\"=\"x\"\r\n" + kKey + u"\"t\"=\"y\"\r\n", kNotRegistryText, u"t", Sz(u"y")},  // value before any key
      {u"[HKEY_NOWHERE\\Software\\T]\r\n\"s\"=\"x\"\r\n", kNotRegistryText, u"s", std::nullopt},
      // Mended: the last line counts without a line break; a key line ends at its bracket; type
      // keywords count only before the first quote of the data; one hex digit is that digit's byte.
      {kKey + u"\"s\"=\"last\"", 0, u"s", Sz(u"last")},
      {u"[HKEY_LOCAL_MACHINE\\Software\\T] \t\r\n\"s\"=\"x\"\r\n", 0, u"s", Sz(u"x")},
      {kKey + u"\"p\"=\"\\\\Windows\\\\hex.txt\"\r\n", 0, u"p", Sz(u"\\Windows\\hex.txt")},
      {kKey + u"\"p\"=\"DWORD:1\"\r\n", 0, u"p", Sz(u"DWORD:1")},
      {kKey + u"\"b\"=hex:7,a\r\n", 0, u"b", Bytes(3, {7, 10})},
  };
  for (const Case& c : cases) {
    TempHive hive;
    EXPECT_EQ(ImportFile(c.text), c.result) << test::Shown(c.text);
    EXPECT_EQ(ReadValue(win::kHkeyLocalMachine, u"Software\\T", c.name), c.stored) << test::Shown(c.text);
    EXPECT_TRUE(!c.stored || !hive.ReadHiveText().empty()) << "written before the import returns";
  }
}

TEST(FileImport, DeletesKeysWithTheirSubkeysAndIgnoresValuesAfterIt) {
  TempHive hive;
  EXPECT_EQ(ImportFile(u"[HKEY_CURRENT_USER\\A\\B]\n\"v\"=\"1\"\n"), 0);
  EXPECT_EQ(ImportFile(u"[-HKEY_CURRENT_USER\\A]\n\"v\"=\"2\"\n"), kNotRegistryText);
  EXPECT_FALSE(test::KeyExists(win::kHkeyCurrentUser, u"A"));
}

}  // namespace
}  // namespace orvinta::registry
