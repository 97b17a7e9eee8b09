// The registry-script importer in file mode, for the types whose data REGX cannot read back
// whole; the registry end-to-end cases show the rest, in files and in blocks.
#include "registry/importer.h"

#include <gtest/gtest.h>

#include "support/hive.h"
#include "support/script.h"

namespace orvinta::registry {
namespace {

using test::Bytes;
using test::ReadValue;
using test::StoredValue;
using test::Sz;
using test::TempHive;

int32_t ImportFile(std::u16string text) { return ImportRegistryText(text.data(), nullptr); }

const std::u16string kKey = u"[HKEY_LOCAL_MACHINE\\Software\\T]\r\n";

TEST(FileImport, WritesTheTypesNoLaterRunCanReadWhole) {
  struct Case {
    std::u16string text;  // imported in file mode
    std::u16string name;  // then the value HKLM\Software\T\name
    std::optional<StoredValue> stored;
  } cases[] = {
      {kKey + u"@=\"d\"\r\n", u"", Sz(u"d")},
      {kKey + u"\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n", u"q", Bytes(11, {1, 0, 0, 0, 0, 0, 0, 0})},
      {kKey + u"\"m\"=multi_sz:\"a\",\"b\"\r\n", u"m", Bytes(7, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
      {kKey + u"\"m\"=mui_sz:\"@res\"\r\n", u"m", Sz(u"@res", 21)},
  };
  for (const Case& c : cases) {
    TempHive hive;
    EXPECT_EQ(ImportFile(c.text), 0) << test::Shown(c.text);
    EXPECT_EQ(ReadValue(win::kHkeyLocalMachine, u"Software\\T", c.name), c.stored) << test::Shown(c.text);
    EXPECT_TRUE(!c.stored || !hive.ReadHiveText().empty()) << "written before the import returns";
  }
}

}  // namespace
}  // namespace orvinta::registry
