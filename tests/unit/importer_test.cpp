// The registry-script importer, in file mode and as a block inside a script.
#include "registry/importer.h"

#include <gtest/gtest.h>

#include "engine/macros.h"
#include "engine/runner.h"
#include "support/registry_reading.h"
#include "support/script.h"
#include "support/temp_hive.h"

namespace orvinta::registry {
namespace {

using test::Bytes;
using test::Dword;
using test::ReadValue;
using test::RunText;
using test::StoredValue;
using test::Sz;
using test::TempHive;

constexpr int32_t kNotRegistryText = 1017;

int32_t ImportFile(std::u16string text) { return ImportRegistryText(text.data(), nullptr); }

struct ImportCase {
  const char* what;
  std::u16string text;  // imported in file mode
  int32_t result;
  std::u16string path;  // then the value HKLM\path\name
  std::u16string name;
  std::optional<StoredValue> stored;
};

class FileImport : public ::testing::TestWithParam<ImportCase> {};

TEST_P(FileImport, WritesWhatTheTextStates) {
  TempHive hive;
  const ImportCase& c = GetParam();
  EXPECT_EQ(ImportFile(c.text), c.result);
  EXPECT_EQ(ReadValue(win::kHkeyLocalMachine, c.path, c.name), c.stored);
}

const std::u16string kKey = u"[HKEY_LOCAL_MACHINE\\Software\\T]\r\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, FileImport,
    ::testing::Values(
        ImportCase{"string", kKey + u"\"s\"=\"text\"\r\n", 0, u"Software\\T", u"s", Sz(u"text")},
        ImportCase{"default value", kKey + u"@=\"d\"\r\n", 0, u"Software\\T", u"", Sz(u"d")},
        ImportCase{"escapes", kKey + u"\"s\"=\"a\\\"b\\\\c\"\r\n", 0, u"Software\\T", u"s", Sz(u"a\"b\\c")},
        ImportCase{"short root name", u"[HKLM\\Software\\T]\n\"s\"=\"x\"\n", 0, u"Software\\T", u"s", Sz(u"x")},
        ImportCase{"dword", kKey + u"\"d\"=dword:0000001f\r\n", 0, u"Software\\T", u"d", Dword(31)},
        ImportCase{"dword of all bits", kKey + u"\"d\"=DWORD:ffffffff\r\n", 0, u"Software\\T", u"d",
                   Dword(0xFFFFFFFF)},
        ImportCase{"binary", kKey + u"\"b\"=hex:01,ff\r\n", 0, u"Software\\T", u"b", Bytes(3, {1, 0xFF})},
        ImportCase{"empty binary", kKey + u"\"b\"=hex:\r\n", 0, u"Software\\T", u"b", Bytes(3, {})},
        ImportCase{"hex(2)", kKey + u"\"e\"=hex(2):41,00,00,00\r\n", 0, u"Software\\T", u"e",
                   Bytes(2, {0x41, 0, 0, 0})},
        ImportCase{"hex(b)", kKey + u"\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n", 0, u"Software\\T", u"q",
                   Bytes(11, {1, 0, 0, 0, 0, 0, 0, 0})},
        ImportCase{"continued hex lines", kKey + u"\"b\"=hex:01,02,\\\r\n  03,04\r\n", 0, u"Software\\T", u"b",
                   Bytes(3, {1, 2, 3, 4})},
        ImportCase{"multi_sz of an RGU script", kKey + u"\"m\"=multi_sz:\"a\",\"b\"\r\n", 0, u"Software\\T", u"m",
                   Bytes(7, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
        ImportCase{"mui_sz", kKey + u"\"m\"=mui_sz:\"@res\"\r\n", 0, u"Software\\T", u"m", Sz(u"@res", 21)},
        ImportCase{"value deleted", kKey + u"\"s\"=\"x\"\r\n\"s\"=-\r\n", 0, u"Software\\T", u"s", std::nullopt},
        ImportCase{"comments and blank lines", kKey + u"; note\r\n\r\n\t \"s\"=\"x\"\r\n", 0, u"Software\\T", u"s",
                   Sz(u"x")},
        ImportCase{"name without closing quote is ignored", kKey + u"\"s=\"x\"\r\n\"t\"=\"y\"\r\n", 0,
                   u"Software\\T", u"t", Sz(u"y")},
        ImportCase{"value before any key", u"\"s\"=\"x\"\r\n" + kKey + u"\"t\"=\"y\"\r\n", kNotRegistryText,
                   u"Software\\T", u"t", Sz(u"y")},
        ImportCase{"unknown root", u"[HKEY_NOWHERE\\A]\r\n\"s\"=\"x\"\r\n", kNotRegistryText, u"A", u"s",
                   std::nullopt},
        // Mended: the last line counts without a line break.
        ImportCase{"last line without a line break", kKey + u"\"s\"=\"last\"", 0, u"Software\\T", u"s",
                   Sz(u"last")},
        // Mended: a key line ends at its bracket.
        ImportCase{"blank after the bracket", u"[HKEY_LOCAL_MACHINE\\Software\\T] \t\r\n\"s\"=\"x\"\r\n", 0,
                   u"Software\\T", u"s", Sz(u"x")},
        // Mended: type keywords count only before the first quote of the data.
        ImportCase{"string holding hex", kKey + u"\"p\"=\"\\\\Windows\\\\hex.txt\"\r\n", 0, u"Software\\T", u"p",
                   Sz(u"\\Windows\\hex.txt")},
        ImportCase{"string holding dword:", kKey + u"\"p\"=\"DWORD:1\"\r\n", 0, u"Software\\T", u"p",
                   Sz(u"DWORD:1")},
        // Mended: one hexadecimal digit is that digit's byte.
        ImportCase{"one-digit byte", kKey + u"\"b\"=hex:7,a\r\n", 0, u"Software\\T", u"b", Bytes(3, {7, 10})}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(FileImport, DeletesKeysWithTheirSubkeysAndIgnoresValuesAfterIt) {
  TempHive hive;
  EXPECT_EQ(ImportFile(u"[HKEY_CURRENT_USER\\A\\B]\n\"v\"=\"1\"\n"), 0);
  EXPECT_EQ(ImportFile(u"[-HKEY_CURRENT_USER\\A]\n\"v\"=\"2\"\n"), kNotRegistryText);
  EXPECT_FALSE(test::KeyExists(win::kHkeyCurrentUser, u"A"));
}

TEST(FileImport, TheTextStaysAsItWas) {
  TempHive hive;
  std::u16string text = kKey + u"\"b\"=hex:01,\\\r\n  02\r\n\"d\"=dword:1\r\n\"m\"=multi_sz:\"a\",\"b\"\r\nnot registry\r\n";
  std::u16string copy = text;
  EXPECT_EQ(ImportRegistryText(text.data(), nullptr), kNotRegistryText);
  EXPECT_EQ(text, copy);
}

TEST(FileImport, TwentyThousandValuesAreOneHiveWrite) {
  TempHive hive;
  std::u16string text = kKey;
  for (int i = 0; i < 20000; ++i) {
    std::u16string n;
    for (int v = i; v > 0 || n.empty(); v /= 10) n.insert(n.begin(), static_cast<char16_t>(u'0' + v % 10));
    text += u"\"v" + n + u"\"=dword:" + n + u"\r\n";
  }
  EXPECT_EQ(ImportFile(text), 0);
  EXPECT_EQ(ReadValue(win::kHkeyLocalMachine, u"Software\\T", u"v19999"), Dword(0x19999));
  hive.Reopen();
  EXPECT_EQ(ReadValue(win::kHkeyLocalMachine, u"Software\\T", u"v12345"), Dword(0x12345)) << "written";
}

// Blocks inside scripts.

TEST(EmbeddedBlock, TheScriptGoesOnAtTheFirstLineThatIsNotRegistryTextAsWritten) {
  TempHive hive;
  std::u16string script =
      u"[HKEY_CURRENT_USER\\S]\r\n\"v\"=\"1\"\r\nEVAL 1=%x\r\nEVAL 2=\"C:\\dir\\\" quoted\r\n";
  EXPECT_EQ(RunText(script).result, 0);
  EXPECT_EQ(std::u16string(engine::UserVariable(1)), u"1017") << "the block's result";
  EXPECT_EQ(std::u16string(engine::UserVariable(2)), u"\"C:\\dir\\\" quoted");
  EXPECT_EQ(ReadValue(win::kHkeyCurrentUser, u"S", u"v"), Sz(u"1"));
}

TEST(EmbeddedBlock, AtTheEndOfTheScriptGivesZero) {
  TempHive hive;
  EXPECT_EQ(RunText(u"EVAL x=5\n  [HKEY_CURRENT_USER\\S]\n\"v\"=dword:2\n; done\n").result, 0);
  EXPECT_EQ(ReadValue(win::kHkeyCurrentUser, u"S", u"v"), Dword(2));
}

TEST(EmbeddedBlock, ALastLineWithoutLineBreakIsImported) {
  TempHive hive;
  EXPECT_EQ(RunText(u"[HKEY_CURRENT_USER\\S]\n\"v\"=\"end\"").result, 0);
  EXPECT_EQ(ReadValue(win::kHkeyCurrentUser, u"S", u"v"), Sz(u"end"));
}

TEST(EmbeddedBlock, AProcedureHoldingABlockRunsEveryTimeAndTargetsBelowStayReachable) {
  TempHive hive;
  std::u16string script =
      u"CALL Set\r\n"
      u"REGX HKCU\\S\\-v\r\n"
      u"CALL Set\r\n"
      u"EVAL 3=%x\r\n"
      u"GOTO Done\r\n"
      u"EVAL 4=skipped\r\n"
      u"PROC Set\r\n"
      u"[HKEY_CURRENT_USER\\S]\r\n"
      u"\"v\"=\"set\"\r\n"
      u"ENDP Set\r\n"
      u"PROC Done\r\n"
      u"EVAL 4=reached\r\n"
      u"ENDP Done\r\n";
  std::u16string copy = script;
  engine::SetUserVariable(4, u"");
  EXPECT_EQ(engine::RunScript(script.data(), u"\\t.ovs"), 0);
  EXPECT_EQ(script, copy) << "the script text is never rewritten";
  EXPECT_EQ(std::u16string(engine::UserVariable(3)), u"0") << "the second CALL ran to its ENDP";
  EXPECT_EQ(std::u16string(engine::UserVariable(4)), u"reached");
  EXPECT_EQ(ReadValue(win::kHkeyCurrentUser, u"S", u"v"), Sz(u"set"));
}

TEST(EmbeddedBlock, AValueLineBeforeAnyKeyStopsTheBlockThere) {
  TempHive hive;
  EXPECT_EQ(RunText(u"[HKEY_NOWHERE\\S]\n\"v\"=\"1\"\nEVAL 5=after\n").result, 0);
  EXPECT_EQ(std::u16string(engine::UserVariable(5)), u"after");
}

}  // namespace
}  // namespace orvinta::registry
