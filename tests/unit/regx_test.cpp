// Byte lists, REGX, RegistryKey and ASOC on the host's registry; the registry end-to-end cases
// show REGX's common forms, its refusals and the root names.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "engine/interpreter_state.h"
#include "registry/registry_key.h"
#include "support/hive.h"
#include "support/script.h"

namespace orvinta::registry {
namespace {

using test::Bytes;
using test::Dword;
using test::KeyExists;
using test::ReadValue;
using test::RunText;
using test::Sz;
using test::TempHive;

TEST(ParseByteList, ConvertsInPlaceWithTheProgramsDigitRules) {
  const std::pair<std::u16string, std::vector<uint8_t>> cases[] = {
      {u"0A,ff,7", {0x0A, 0xFF, 0x07}},  // one digit gives that digit
      {u"", {}},
      {u"x1", {0xF1}},              // no digit counts as all bits set; blanks are not separators
      {u"123,4567", {0x12, 0x45}},  // characters after the second are ignored
      {u"01,", {0x01}},             // a trailing comma adds nothing
      {u"01,,02", {0x01, 0xF0, 0x02}},
      {u"7 ", {0xFF}},  // a digit and a blank is two characters
      {u"01\x01" u"02", {0x01}},  // the argument separator separates nothing
  };
  for (auto [text, bytes] : cases) {
    uint32_t count = ParseByteList(text.data());
    auto* converted = reinterpret_cast<uint8_t*>(text.data());
    EXPECT_EQ(std::vector<uint8_t>(converted, converted + count), bytes) << test::Shown(text);
  }
  // 1,000 one-digit items in a buffer that ends right after them; ASan watches the edge.
  std::u16string list = u"7";
  for (int i = 1; i < 1000; ++i) list += u",7";
  auto text = std::make_unique<char16_t[]>(list.size() + 1);
  std::copy(list.begin(), list.end() + 1, text.get());
  EXPECT_EQ(ParseByteList(text.get()), 1000u);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(text.get())[999], 0x07);
}

// The forms whose rules no end-to-end case shows: the value under HKCU\S afterwards.
TEST(Regx, SetsReadsAndDeletes) {
  struct Case {
    std::u16string script;  // the last line's result is checked
    int32_t result;
    std::u16string name;
    std::optional<test::StoredValue> stored;
  } cases[] = {
      {u"REGX HKCU\\S\\v=a=b\\c", 0, u"v", Sz(u"a=b\\c")},
      {u"REGX HKCU\\S\\ v = x ", 0, u" v ", Sz(u" x ")},  // blanks belong to names and data
      {u"REGX HKCU\\S\\-x=1", 0, u"-x", Sz(u"1")},        // "-" deletes only without data
      {u"REGX HKCU\\S\\#n=-1", 0, u"n", Dword(0xFFFFFFFF)},
      {u"REGX HKCU\\S\\@b=01,02", 0, u"b", Bytes(win::kRegBinary, {0x01})},  // an unescaped comma ends the list
      {u"REGX HKCU\\S\\@n=34%,12\nREGX HKCU\\S\\#n", 0x1234, u"n", Bytes(win::kRegBinary, {0x34, 0x12})},
      {u"REGX HKCU\\S\\n=abcd\nREGX HKCU\\S\\#n", 0, u"n", Sz(u"abcd")},  // longer than 4 bytes: 0
  };
  for (const Case& c : cases) {
    TempHive hive;
    EXPECT_EQ(RunText(c.script).result, c.result) << test::Shown(c.script);
    EXPECT_EQ(ReadValue(win::kHkeyCurrentUser, u"S", c.name), c.stored) << test::Shown(c.script);
  }
}

TEST(Regx, EachChangeIsWrittenBeforeTheCommandReturnsAndARefusalCreatesNothing) {
  TempHive hive;
  EXPECT_EQ(RunText(u"REGX HKCU\\Test").result, win::AsResult(win::kEInvalidArg));
  EXPECT_FALSE(KeyExists(win::kHkeyCurrentUser, u"Test"));
  EXPECT_EQ(hive.ReadHiveText(), "");
  EXPECT_EQ(RunText(u"REGX HKCU\\S\\v=1").result, 0);
  EXPECT_NE(hive.ReadHiveText().find("\"v\"=\"1\""), std::string::npos);
}

TEST(Regx, DataFillingAllOfVariableZeroKeeps259UnitsAndTheTerminator) {
  TempHive hive;
  platform::KeyHandle key = 0;
  hive.Registry().RegCreateKeyExW(platform::RootKeyHandle(win::kHkeyCurrentUser), u"S", 0, &key);
  hive.Registry().RegSetValueExW(key, u"full", win::kRegSz, std::u16string(260, u'b').data(), 520);
  hive.Registry().RegCloseKey(key);
  EXPECT_EQ(RunText(u"REGX HKCU\\S\\full").result, 0);
  EXPECT_EQ(std::u16string(engine::UserVariable(0)), std::u16string(259, u'b'));
}

TEST(Asoc, WithoutArgumentWritesTheClassAndRemovesAnExtensionOrTheWholeClass) {
  TempHive hive;
  auto start = [](std::u16string commandLine) { return app::Start(commandLine.data()); };
  EXPECT_EQ(start(u"ASOC"), 0);
  EXPECT_EQ(ReadValue(win::kHkeyClassesRoot, u"Orvinta", u""), Sz(u"Orvinta"));
  EXPECT_FALSE(KeyExists(win::kHkeyClassesRoot, u".ovs"));
  EXPECT_EQ(start(u"BATC ASOC .ovs;ASOC .reg;ASOC !.ovs"), 0);
  EXPECT_FALSE(KeyExists(win::kHkeyClassesRoot, u".ovs"));
  EXPECT_TRUE(KeyExists(win::kHkeyClassesRoot, u"Orvinta\\Shell"));
  EXPECT_EQ(start(u"ASOC !"), 0);
  EXPECT_FALSE(KeyExists(win::kHkeyClassesRoot, u"Orvinta")) << "the class goes with its subkeys";
  EXPECT_EQ(ReadValue(win::kHkeyClassesRoot, u".reg", u""), Sz(u"Orvinta")) << "extension keys are left";
  EXPECT_EQ(start(u"ASOC !.nothing"), 0) << "failures are silent";
}

}  // namespace
}  // namespace orvinta::registry
