// Root names, byte lists, REGX and ASOC, on the host's registry.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "engine/macros.h"
#include "registry/registry_key.h"
#include "support/registry_reading.h"
#include "support/script.h"
#include "support/temp_hive.h"

namespace orvinta::registry {
namespace {

using test::Bytes;
using test::Dword;
using test::ReadValue;
using test::RunText;
using test::Sz;
using test::TempHive;

struct RootCase {
  std::u16string text;
  uint32_t root;  // 0: none
  size_t length;
};

TEST(ParseRootKey, MatchesShortAndLongNamesWithExactCaseAndTheirBackslash) {
  const RootCase cases[] = {
      {u"HKLM\\Software", win::kHkeyLocalMachine, 5},
      {u"HKCU\\x", win::kHkeyCurrentUser, 5},
      {u"HKCR\\.ovs", win::kHkeyClassesRoot, 5},
      {u"HKU\\.DEFAULT", win::kHkeyUsers, 4},
      {u"HKEY_LOCAL_MACHINE\\A", win::kHkeyLocalMachine, 19},
      {u"HKEY_USERS\\", win::kHkeyUsers, 11},
      {u"HKEY_CLASSES_ROOT\\", win::kHkeyClassesRoot, 18},
      {u"hklm\\Software", 0, 0},
      {u"HKLM", 0, 0},
      {u"HKEY_LOCAL_MACHINE", 0, 0},
      {u" HKLM\\A", 0, 0},
      {u"", 0, 0},
  };
  for (const RootCase& c : cases) {
    size_t length = 99;
    platform::KeyHandle handle = ParseRootKey(c.text.c_str(), length);
    EXPECT_EQ(handle, c.root == 0 ? 0 : platform::RootKeyHandle(c.root)) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(length, c.length);
  }
}

struct ByteListCase {
  std::u16string list;
  std::vector<uint8_t> bytes;
};

TEST(ParseByteList, ConvertsInPlaceWithTheProgramsDigitRules) {
  const ByteListCase cases[] = {
      {u"0A,ff,7", {0x0A, 0xFF, 0x07}},       // one digit gives that digit
      {u"", {}},
      {u"41", {0x41}},
      {u"7", {0x07}},
      {u"x1", {0xF1}},                         // no digit counts as all bits set
      {u" 1", {0xF1}},                         // blanks are not separators
      {u"123,4567", {0x12, 0x45}},             // characters after the second are ignored
      {u"01,", {0x01}},                        // a trailing comma adds nothing
      {u"01,,02", {0x01, 0xF0, 0x02}},
      {u"7 ", {0xFF}},                         // a digit and a blank is two characters
      {u"01\x01" u"02", {0x01}},               // the argument separator separates nothing
  };
  for (const ByteListCase& c : cases) {
    std::u16string text = c.list;
    uint32_t count = ParseByteList(text.data());
    std::vector<uint8_t> bytes(reinterpret_cast<uint8_t*>(text.data()), reinterpret_cast<uint8_t*>(text.data()) + count);
    EXPECT_EQ(bytes, c.bytes) << std::string(c.list.begin(), c.list.end());
  }
}

TEST(ParseByteList, NeverWritesPastItsOwnText) {
  // 1,000 one-digit items in a buffer that ends right after them; ASan watches the edge.
  std::u16string list;
  for (int i = 0; i < 1000; ++i) list += i == 0 ? u"7" : u",7";
  auto text = std::make_unique<char16_t[]>(list.size() + 1);
  std::copy(list.begin(), list.end(), text.get());
  text[list.size()] = 0;
  EXPECT_EQ(ParseByteList(text.get()), 1000u);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(text.get())[999], 0x07);
}

struct RegxCase {
  const char* what;
  std::u16string script;  // the last line's result is checked
  int32_t result;
  std::u16string path;    // then the value under HKCU\path\name
  std::u16string name;
  std::optional<test::StoredValue> stored;
};

class Regx : public ::testing::TestWithParam<RegxCase> {};

TEST_P(Regx, SetsReadsAndDeletes) {
  TempHive hive;
  const RegxCase& c = GetParam();
  EXPECT_EQ(RunText(c.script).result, c.result);
  if (!c.path.empty()) {
    EXPECT_EQ(ReadValue(win::kHkeyCurrentUser, c.path, c.name), c.stored);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Regx,
    ::testing::Values(
        RegxCase{"string", u"REGX HKCU\\Software\\Test\\Name=hello world", 0, u"Software\\Test", u"Name",
                 Sz(u"hello world")},
        RegxCase{"default value", u"REGX HKCU\\Software\\Test\\=abc", 0, u"Software\\Test", u"", Sz(u"abc")},
        RegxCase{"data holding = and \\", u"REGX HKCU\\S\\v=a=b\\c", 0, u"S", u"v", Sz(u"a=b\\c")},
        RegxCase{"blanks belong to names and data", u"REGX HKCU\\S\\ v = x ", 0, u"S", u" v ", Sz(u" x ")},
        RegxCase{"comma kept as the separator code", u"REGX HKCU\\S\\v=a,b", 0, u"S", u"v", Sz(u"a\x01" u"b")},
        RegxCase{"leading - of a name with data", u"REGX HKCU\\S\\-x=1", 0, u"S", u"-x", Sz(u"1")},
        RegxCase{"dword", u"REGX HKCU\\S\\#Count=0x20", 0, u"S", u"Count", Dword(32)},
        RegxCase{"negative dword", u"REGX HKCU\\S\\#n=-1", 0, u"S", u"n", Dword(0xFFFFFFFF)},
        RegxCase{"binary with escaped commas", u"REGX HKCU\\S\\@Data=01%,ff%,7", 0, u"S", u"Data",
                 Bytes(win::kRegBinary, {0x01, 0xFF, 0x07})},
        RegxCase{"binary with an unescaped comma", u"REGX HKCU\\S\\@Data=01,02", 0, u"S", u"Data",
                 Bytes(win::kRegBinary, {0x01})},
        RegxCase{"read a number", u"REGX HKCU\\S\\#n=0x20\nREGX HKCU\\S\\#n", 32, u"", u"", std::nullopt},
        RegxCase{"read a missing number", u"REGX HKCU\\S\\#n", 0, u"", u"", std::nullopt},
        RegxCase{"read a number of two bytes", u"REGX HKCU\\S\\@n=34%,12\nREGX HKCU\\S\\#n", 0x1234, u"", u"",
                 std::nullopt},
        RegxCase{"read a number longer than 4 bytes", u"REGX HKCU\\S\\n=abcd\nREGX HKCU\\S\\#n", 0, u"", u"",
                 std::nullopt},
        RegxCase{"read a missing value creates its key", u"REGX HKCU\\New\\Key\\v", 2, u"", u"", std::nullopt},
        RegxCase{"delete a value", u"REGX HKCU\\S\\v=1\nREGX HKCU\\S\\-v", 0, u"S", u"v", std::nullopt},
        RegxCase{"delete a missing value", u"REGX HKCU\\S\\-v", 2, u"", u"", std::nullopt},
        RegxCase{"delete a key", u"REGX HKCU\\S\\T\\v=1\nREGX HKCU\\S\\-", 0, u"S\\T", u"v", std::nullopt},
        RegxCase{"no backslash after the root's", u"REGX HKCU\\Test", win::AsResult(win::kEInvalidArg), u"", u"",
                 std::nullopt},
        RegxCase{"lower-case root", u"REGX hkcu\\Software\\Test\\", win::AsResult(win::kEInvalidArg), u"", u"",
                 std::nullopt},
        RegxCase{"file path", u"REGX \\Windows\\a.reg", win::AsResult(win::kEInvalidArg), u"", u"", std::nullopt},
        RegxCase{"key name of 300 units", u"REGX HKCU\\" + std::u16string(300, u'k') + u"\\v=1",
                 win::AsResult(win::kErrorInvalidParameter), u"", u"", std::nullopt},
        RegxCase{"key path of 600 units", u"REGX HKCU\\" + [] {
                   std::u16string path;
                   for (int i = 0; i < 60; ++i) path += u"abcdefghi\\";
                   return path;
                 }() + u"v=1", 0, u"", u"", std::nullopt}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(Regx, RefusedArgumentCreatesNothing) {
  TempHive hive;
  EXPECT_EQ(RunText(u"REGX HKCU\\Test").result, win::AsResult(win::kEInvalidArg));
  EXPECT_FALSE(test::KeyExists(win::kHkeyCurrentUser, u"Test"));
  EXPECT_EQ(hive.ReadHiveText(), "");
}

TEST(Regx, ReadsStringsIntoVariableZeroWithinItsFiveHundredTwentyBytes) {
  TempHive hive;
  engine::SetUserVariable(0, u"stale");
  std::u16string fits(259, u'a');
  std::u16string tooLong(260, u'b');
  EXPECT_EQ(RunText(u"REGX HKCU\\S\\fits=" + fits + u"\nREGX HKCU\\S\\fits").result, 0);
  EXPECT_EQ(std::u16string(engine::UserVariable(0)), fits);

  EXPECT_EQ(RunText(u"REGX HKCU\\S\\long=" + tooLong + u"\nREGX HKCU\\S\\long").result, win::AsResult(win::kErrorMoreData));
  EXPECT_EQ(std::u16string(engine::UserVariable(0)), u"") << "a failed read leaves %0 empty";

  // 520 bytes without a terminator of their own: %0 keeps 259 units and its terminator.
  platform::KeyHandle key = 0;
  platform::Registry& registry = hive.Registry();
  registry.RegCreateKeyExW(platform::RootKeyHandle(win::kHkeyCurrentUser), u"S", 0, &key);
  registry.RegSetValueExW(key, u"full", win::kRegSz, tooLong.data(), 520);
  registry.RegCloseKey(key);
  EXPECT_EQ(RunText(u"REGX HKCU\\S\\full").result, 0);
  EXPECT_EQ(std::u16string(engine::UserVariable(0)), std::u16string(259, u'b'));

  EXPECT_EQ(RunText(u"REGX HKCU\\S\\missing").result, win::AsResult(win::kErrorFileNotFound));
  EXPECT_EQ(std::u16string(engine::UserVariable(0)), u"");
}

TEST(Regx, EachCommandThatChangesTheRegistryWritesTheHive) {
  TempHive hive;
  EXPECT_EQ(RunText(u"REGX HKCU\\S\\v=1").result, 0);
  hive.Reopen();  // as the next process
  EXPECT_EQ(RunText(u"REGX HKCU\\S\\v\nEVAL 1=%0").result, 0);
  EXPECT_EQ(std::u16string(engine::UserVariable(1)), u"1");
}

TEST(Regx, UnusableHiveGivesTheRegistrysErrorCode) {
  TempHive hive;
  hive.WriteHiveText("not a hive\n");
  hive.Reopen();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunText(u"REGX HKCU\\S\\v=1").result, win::AsResult(win::kErrorRegistryCorrupt));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(hive.ReadHiveText(), "not a hive\n");
}

TEST(RegistryKey, GetStringAlwaysLeavesATerminatedTextAndCountsWithoutTheTerminator) {
  TempHive hive;
  RegistryKey key(platform::RootKeyHandle(win::kHkeyCurrentUser), u"Software\\Picker");
  ASSERT_TRUE(key.IsOpen());
  ASSERT_TRUE(key.SetString(u"Dir", u"\\Program Files\\App"));
  char16_t buffer[24];
  EXPECT_EQ(key.GetString(u"Dir", buffer, 24), 18u);
  EXPECT_EQ(std::u16string(buffer), u"\\Program Files\\App");
  EXPECT_EQ(key.GetString(u"Dir", buffer, 8), 0u) << "too long: nothing";
  EXPECT_EQ(buffer[0], 0);
  // Data that fills the buffer without a terminator of its own loses its last unit to one.
  hive.Registry().RegSetValueExW(key.Handle(), u"Raw", win::kRegSz, u"abcd", 8);
  EXPECT_EQ(key.GetString(u"Raw", buffer, 4), 3u);
  EXPECT_EQ(std::u16string(buffer), u"abc");
  EXPECT_EQ(key.GetString(u"Missing", buffer, 24), 0u);
  EXPECT_EQ(buffer[0], 0);
}

class Asoc : public ::testing::Test {
 protected:
  // Start fills the program's path, which the class keys name.
  static int32_t Start(std::u16string commandLine) { return app::Start(commandLine.data()); }
  static std::optional<test::StoredValue> Default(const std::u16string& path) {
    return ReadValue(win::kHkeyClassesRoot, path, u"");
  }
  TempHive hive_;
};

TEST_F(Asoc, RegistersTheClassWithTheProgramsPathAndAnExtension) {
  EXPECT_EQ(Start(u"ASOC .ovs"), 0);
  std::u16string program(app::ProgramPath());
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(Default(u".ovs"), Sz(u"Orvinta"));
  EXPECT_EQ(Default(u"Orvinta"), Sz(u"Orvinta"));
  EXPECT_EQ(Default(u"Orvinta\\DefaultIcon"), Sz(program + u",0"));
  EXPECT_EQ(Default(u"Orvinta\\Shell\\Open\\Command"), Sz(u"\"" + program + u"\" %1"));
}

TEST_F(Asoc, WithoutArgumentWritesOnlyTheClass) {
  EXPECT_EQ(Start(u"ASOC"), 0);
  EXPECT_EQ(Default(u"Orvinta"), Sz(u"Orvinta"));
  EXPECT_FALSE(test::KeyExists(win::kHkeyClassesRoot, u".ovs"));
}

TEST_F(Asoc, RemovesAnExtensionOrTheWholeClass) {
  EXPECT_EQ(Start(u"BATC ASOC .ovs;ASOC .reg;ASOC !.ovs"), 0);
  EXPECT_FALSE(test::KeyExists(win::kHkeyClassesRoot, u".ovs"));
  EXPECT_TRUE(test::KeyExists(win::kHkeyClassesRoot, u"Orvinta\\Shell"));
  EXPECT_EQ(Start(u"ASOC !"), 0);
  EXPECT_FALSE(test::KeyExists(win::kHkeyClassesRoot, u"Orvinta")) << "the class goes with its subkeys";
  EXPECT_EQ(Default(u".reg"), Sz(u"Orvinta")) << "extension keys are left pointing to it";
  EXPECT_EQ(Start(u"ASOC !.nothing"), 0) << "failures are silent";
}

}  // namespace
}  // namespace orvinta::registry
