// The hive text: every value round-trips bit-exact, and the reader takes nothing but what the
// writer writes.
#include "platform/host/registry_hive.h"

#include <gtest/gtest.h>

#include "support/hive.h"

namespace orvinta::platform::host {
namespace {

// UTF-16 LE bytes of a text and its terminator.
std::vector<uint8_t> Units(std::u16string_view text) { return test::Sz(text).data; }

TEST(Hive, EveryValueReadsBackBitExact) {
  std::vector<uint8_t> manyBytes(300);
  for (size_t i = 0; i < manyBytes.size(); ++i) manyBytes[i] = static_cast<uint8_t>(i * 7);
  struct Case {
    const char* what;
    std::u16string name;
    uint32_t type;
    std::vector<uint8_t> data;
    const char* line;  // how the value is written, or nullptr when the line does not matter
  } cases[] = {
      {"default value", u"", 1, Units(u"x"), "@=\"x\""},
      {"quotes and backslashes", u"a\"b\\c", 1, Units(u"\\\\dev\\\"q\""),
       "\"a\\\"b\\\\c\"=\"\\\\\\\\dev\\\\\\\"q\\\"\""},
      {"control characters and separators", u"n\x01", 1, Units(u"a\r\nb\t\x01"),
       "\"n\\x0001\"=\"a\\x000D\\x000Ab\\x0009\\x0001\""},
      {"non-ASCII text", u"\u540d", 1, Units(u"\u00e9t\u00e9 \u4e2d\U0001F600"), nullptr},
      {"lone surrogates", u"\xD800", 1, Units(u"a\xDC00" u"b\xD801"), nullptr},
      {"string without terminator", u"s", 1, {0x61, 0, 0x62, 0}, "\"s\"=hex(1):61,00,62,00"},
      {"string with an inner zero", u"s", 1, Units(std::u16string(u"a\0b", 3)), nullptr},
      {"string of odd length", u"s", 1, {0x61, 0x00, 0x62}, "\"s\"=hex(1):61,00,62"},
      {"empty data of type 1", u"s", 1, {}, "\"s\"=hex(1):"},
      {"dword", u"d", 4, {0x1f, 0, 0, 0}, "\"d\"=dword:0000001f"},
      {"dword of the wrong size", u"d", 4, {1, 2}, "\"d\"=hex(4):01,02"},
      {"binary", u"b", 3, {0x00, 0xff, 0x7f}, "\"b\"=hex:00,ff,7f"},
      {"long binary continues on indented lines", u"b", 3, manyBytes, nullptr},
      {"expandable string", u"e", 2, Units(u"%1"), "\"e\"=str(2):\"%1\""},
      {"multi-string", u"m", 7, Units(std::u16string(u"a\0b\0", 4)), "\"m\"=multi_sz:\"a\",\"b\""},
      {"multi-string with an empty string", u"m", 7, Units(std::u16string(u"a\0\0b\0", 5)),
       "\"m\"=multi_sz:\"a\",\"\",\"b\""},
      {"multi-string without its last zero", u"m", 7, Units(u"a"), "\"m\"=hex(7):61,00,00,00"},
      {"large type number", u"t", 0xFFFFFFFF, {9}, "\"t\"=hex(ffffffff):09"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Hive hive;
    hive.roots[2]->AddSubkey(u"Software")->AddSubkey(u"Test")->SetValue(c.name, c.type, c.data);
    std::string text = WriteHive(hive);
    EXPECT_TRUE(c.line == nullptr || text.find(std::string("\n") + c.line + "\n") != std::string::npos) << text;
    Hive read;
    HiveParseError error;
    ASSERT_TRUE(ParseHive(text, read, error)) << "line " << error.line << ": " << error.reason << "\n" << text;
    std::shared_ptr<HiveKey> back = read.roots[2]->FindSubkey(u"software");
    ASSERT_TRUE(back && back->FindSubkey(u"TEST") && back->FindSubkey(u"TEST")->FindValue(c.name)) << text;
    const HiveValue& value = *back->FindSubkey(u"TEST")->FindValue(c.name);
    EXPECT_EQ(value.name, c.name);
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.data, c.data);
    EXPECT_EQ(WriteHive(read), text) << "writing what was read changes nothing";
  }
}

TEST(Hive, KeyNamesKeepTheirCaseAndEscapeWhatAKeyLineCannotShow) {
  Hive hive;
  hive.roots[1]->AddSubkey(u"Soft%ware")->AddSubkey(u"A]b\nc");
  std::string text = WriteHive(hive);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Soft%0025ware\\A]b%000Ac]\n"), std::string::npos) << text;
  Hive read;
  HiveParseError error;
  ASSERT_TRUE(ParseHive(text, read, error)) << error.reason;
  ASSERT_NE(read.roots[1]->FindSubkey(u"SOFT%WARE"), nullptr);
  EXPECT_EQ(read.roots[1]->FindSubkey(u"soft%ware")->FindSubkey(u"a]B\nC")->Name(), u"A]b\nc");
}

TEST(Hive, NamesMatchWithoutRegardToCaseBeyondAscii) {
  EXPECT_EQ(FoldName(u"\u00c9T\u00c9"), FoldName(u"\u00e9t\u00e9"));
  EXPECT_EQ(FoldName(u"\u0416\u0401"), FoldName(u"\u0436\u0451"));
  EXPECT_EQ(FoldName(u"\u0100\u0139"), FoldName(u"\u0101\u013a"));
  EXPECT_NE(FoldName(u"[_"), FoldName(u"{\x7f"));  // the program's differ-by-32 rule is not the registry's
}

const std::string kHead = "Orvinta registry hive 1\n";
const std::string kEnd = "; end of hive\n";

TEST(Hive, ReaderRefusesTextThatIsNotExactlyAHive) {
  struct Case {
    const char* what;
    std::string text;
    size_t line;
  } cases[] = {
      {"empty file", "", 0},
      {"registry script", "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n" + kEnd, 1},
      {"truncated: no end line", kHead + "[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\"\n", 0},
      {"truncated inside a line", kHead + "[HKEY_CURRENT_USER\\A]\n\"a\"=\"b", 3},
      {"not text", kHead + std::string("[HKEY_CURRENT_USER\\A\0]\n", 24) + kEnd, 2},
      {"unknown root", kHead + "[HKLM\\A]\n" + kEnd, 2},
      {"empty key name", kHead + "[HKEY_CURRENT_USER\\A\\\\B]\n" + kEnd, 2},
      {"key twice", kHead + "[HKEY_CURRENT_USER\\A]\n[HKEY_CURRENT_USER\\a]\n" + kEnd, 3},
      {"value before any key", kHead + "\"a\"=\"b\"\n" + kEnd, 2},
      {"importer-style unquoted data", kHead + "[HKEY_USERS]\n\"a\"=b\n" + kEnd, 3},
      {"one-digit byte", kHead + "[HKEY_USERS]\n\"a\"=hex:1,02\n" + kEnd, 3},
      {"unknown escape", kHead + "[HKEY_USERS]\n\"a\"=\"\\n\"\n" + kEnd, 3},
      {"text after the data", kHead + "[HKEY_USERS]\n\"a\"=\"b\" ;c\n" + kEnd, 3},
      {"continuation without indent", kHead + "[HKEY_USERS]\n\"a\"=hex:01,\\\n02\n" + kEnd, 4},
      {"text after the end line", kHead + kEnd + "[HKEY_USERS]\n", 3},
  };
  for (const Case& c : cases) {
    Hive hive;
    HiveParseError error;
    EXPECT_FALSE(ParseHive(c.text, hive, error)) << c.what;
    EXPECT_EQ(error.line, c.line) << c.what << ": " << error.reason;
    EXPECT_FALSE(error.reason.empty()) << c.what;
  }
}

TEST(Hive, ReaderAcceptsCommentsBlankLinesCarriageReturnsAndImpliedParents) {
  std::string text = kHead + "; a note\r\n\r\n[HKEY_CURRENT_USER\\A\\B]\r\n\"v\"=hex:01,\\\r\n  02\r\n" + kEnd;
  Hive hive;
  HiveParseError error;
  ASSERT_TRUE(ParseHive(text, hive, error)) << error.line << ": " << error.reason;
  const HiveValue* value = hive.roots[1]->FindSubkey(u"A")->FindSubkey(u"B")->FindValue(u"v");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->data, (std::vector<uint8_t>{1, 2}));
}

}  // namespace
}  // namespace orvinta::platform::host
