// The hive text and the change log: every value round-trips bit-exact, the readers take nothing
// but what the writers write, and the packed registry in memory keeps its names straight.
#include "platform/host/registry_hive.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "support/hive.h"

namespace orvinta::platform::host {
namespace {

// UTF-16 LE bytes of a text and its terminator.
std::vector<uint8_t> Units(std::u16string_view text) { return test::Sz(text).data; }

std::vector<uint8_t> DataOf(const Hive& hive, KeyId key, std::u16string_view name) {
  HiveValue value;
  if (!hive.FindValue(key, name, &value)) return {0xEE};
  return std::vector<uint8_t>(value.data, value.data + value.size);
}

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
      {"multi-string with an empty string", u"m", 7, Units(std::u16string(u"\0a\0\0b\0", 6)),
       "\"m\"=multi_sz:\"\",\"a\",\"\",\"b\""},
      {"multi-string without its last zero", u"m", 7, Units(u"a"), "\"m\"=hex(7):61,00,00,00"},
      {"large type number", u"t", 0xFFFFFFFF, {9}, "\"t\"=hex(ffffffff):09"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Hive hive;
    hive.SetValue(hive.AddSubkey(hive.AddSubkey(Hive::Root(2), u"Software"), u"Test"), c.name, c.type, c.data.data(),
                  static_cast<uint32_t>(c.data.size()));
    std::string text = WriteHive(hive);
    EXPECT_TRUE(c.line == nullptr || text.find(std::string("\n") + c.line + "\n") != std::string::npos) << text;
    Hive read;
    HiveParseError error;
    ASSERT_TRUE(ParseHive(text, read, error)) << "line " << error.line << ": " << error.reason << "\n" << text;
    KeyId key = read.FindSubkey(read.FindSubkey(Hive::Root(2), u"software"), u"TEST");
    ASSERT_NE(key, kNoKey) << text;
    HiveValue value;
    ASSERT_TRUE(read.FindValue(key, c.name, &value)) << text;
    EXPECT_EQ(value.name, c.name);
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(DataOf(read, key, c.name), c.data);
    EXPECT_EQ(WriteHive(read), text) << "writing what was read changes nothing";
  }
}

TEST(Hive, KeyNamesKeepTheirCaseAndEscapeWhatAKeyLineCannotShow) {
  Hive hive;
  hive.AddSubkey(hive.AddSubkey(Hive::Root(1), u"Soft%ware"), u"A]b\nc");
  std::string text = WriteHive(hive);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Soft%0025ware\\A]b%000Ac]\n"), std::string::npos) << text;
  Hive read;
  HiveParseError error;
  ASSERT_TRUE(ParseHive(text, read, error)) << error.reason;
  KeyId soft = read.FindSubkey(Hive::Root(1), u"SOFT%WARE");
  ASSERT_NE(soft, kNoKey);
  EXPECT_EQ(read.Name(read.FindSubkey(soft, u"a]B\nC")), u"A]b\nc");
  EXPECT_EQ(FoldName(u"\u00c9T\u00c9\u0416\u0401\u0100"), FoldName(u"\u00e9t\u00e9\u0436\u0451\u0101"));
  EXPECT_NE(FoldName(u"[_"), FoldName(u"{\x7f"));  // the program's differ-by-32 rule is not the registry's
}

const std::string kHead = "Orvinta registry hive 1\n";
const std::string kEnd = "; end of hive\n";
const std::string kTooDeep = [] {  // 513 levels below the root
  std::string path = "HKEY_CURRENT_USER";
  for (int i = 0; i < 513; ++i) path += "\\a";
  return path;
}();

// The fuzz target reads every text in pieces as well as whole.
TEST(Hive, ReaderAcceptsCommentsCarriageReturnsAndImpliedParents) {
  std::string text = kHead + "; a note\r\n\r\n[HKEY_CURRENT_USER\\A\\B]\r\n\"v\"=hex:01,\\\r\n  02\r\n" +
                     "[HKEY_CURRENT_USER\\A\\C]\n[HKEY_CURRENT_USER\\A]\n" + kEnd;
  Hive hive;
  HiveParseError error;
  ASSERT_TRUE(ParseHive(text, hive, error)) << error.line << ": " << error.reason;
  KeyId a = hive.FindSubkey(Hive::Root(1), u"A");
  EXPECT_EQ(DataOf(hive, hive.FindSubkey(a, u"B"), u"v"), (std::vector<uint8_t>{1, 2}));
  EXPECT_NE(hive.FindSubkey(a, u"C"), kNoKey);
}

const std::string kLogHead = std::string(kLogHeader);

TEST(HiveLog, RecordsApplyInOrderAndAnUnfinishedOneIsLeftOut) {
  const std::string record1 = "\n[HKEY_CURRENT_USER\\A\\B]\n\"v\"=\"1\"\n\"w\"=dword:00000002\n; end of change\n";
  const std::string record2 = "\n[-HKEY_CURRENT_USER\\A\\B]\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"3\"\n\"x\"=-\n@=\"d\"\n" +
                              std::string(kLogRecordEnd);
  const std::string unfinished = "[HKEY_CURRENT_USER\\A]\n\"y\"=hex:01,\\\n  0";
  Hive hive;
  LogRead read;
  HiveParseError error;
  ASSERT_TRUE(ReadLog(kLogHead + record1 + record2 + unfinished, true, 1, &hive, read, error)) << error.reason;
  EXPECT_EQ(read.wholeBytes, kLogHead.size() + record1.size() + record2.size());
  EXPECT_EQ(read.wholeLines, 15u);
  EXPECT_TRUE(read.unfinished);
  KeyId a = hive.FindSubkey(Hive::Root(1), u"a");
  EXPECT_EQ(hive.FindSubkey(a, u"B"), kNoKey) << "deleted by the second record";
  EXPECT_FALSE(hive.FindValue(a, u"x"));
  EXPECT_FALSE(hive.FindValue(a, u"y")) << "the unfinished record is not applied";
  EXPECT_EQ(DataOf(hive, a, u""), Units(u"d"));

  // Read from a record's end on, as a process catching up does, with the file's line numbers.
  Hive later;
  ASSERT_TRUE(ReadLog(record2 + "[HKEY_USERS]\n", false, 7, &later, read, error)) << error.reason;
  EXPECT_EQ(read.wholeBytes, record2.size());
  EXPECT_FALSE(ReadLog(record2 + "\"z\"=\"4\"\n", false, 7, &later, read, error)) << "no key line in this record";
  EXPECT_EQ(error.line, 14u);
}

// What each reader refuses, with the line it names (0: none). The log's reader also reads what
// a crash may leave of a record (-1: read).
TEST(HiveAndLog, ReadersRefuseWhatTheWritersNeverWrite) {
  const std::string key = "[HKEY_USERS\\K]\n";
  enum Reader { kHive, kLog };
  struct Case {
    const char* what;
    Reader reader;
    std::string text;
    int line;
  } cases[] = {
      {"empty file", kHive, "", 0},
      {"registry script", kHive, "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n" + kEnd, 1},
      {"truncated: no end line", kHive, kHead + "[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\"\n", 0},
      {"truncated inside a line", kHive, kHead + "[HKEY_CURRENT_USER\\A]\n\"a\"=\"b", 3},
      {"not text", kHive, kHead + std::string("[HKEY_CURRENT_USER\\A\0]\n", 24) + kEnd, 2},
      {"not UTF-8", kHive, kHead + "[HKEY_CURRENT_USER\\A]\n\"a\"=\"\xC3(\"\n" + kEnd, 3},
      {"unknown root", kHive, kHead + "[HKLM\\A]\n" + kEnd, 2},
      {"key deeper than 512 levels", kHive, kHead + "[" + kTooDeep + "]\n" + kEnd, 2},
      {"empty key name", kHive, kHead + "[HKEY_CURRENT_USER\\A\\\\B]\n" + kEnd, 2},
      {"key twice", kHive, kHead + "[HKEY_CURRENT_USER\\A]\n[HKEY_CURRENT_USER\\a]\n" + kEnd, 3},
      {"value twice", kHive, kHead + "[HKEY_USERS]\n\"a\"=\"b\"\n\"A\"=\"c\"\n" + kEnd, 4},
      {"value before any key", kHive, kHead + "\"a\"=\"b\"\n" + kEnd, 2},
      {"importer-style unquoted data", kHive, kHead + "[HKEY_USERS]\n\"a\"=b\n" + kEnd, 3},
      {"a log's deletion", kHive, kHead + "[HKEY_USERS]\n\"a\"=-\n" + kEnd, 3},
      {"a log's key deletion", kHive, kHead + "[-HKEY_USERS\\A]\n" + kEnd, 2},
      {"one-digit byte", kHive, kHead + "[HKEY_USERS]\n\"a\"=hex:1,02\n" + kEnd, 3},
      {"unknown escape", kHive, kHead + "[HKEY_USERS]\n\"a\"=\"\\n\"\n" + kEnd, 3},
      {"text after the data", kHive, kHead + "[HKEY_USERS]\n\"a\"=\"b\" ;c\n" + kEnd, 3},
      {"continuation without indent", kHive, kHead + "[HKEY_USERS]\n\"a\"=hex:01,\\\n02\n" + kEnd, 4},
      {"text after the end line", kHive, kHead + kEnd + "[HKEY_USERS]\n", 3},
      {"empty", kLog, "", -1},
      {"a header cut short", kLog, kLogHead.substr(0, 9), -1},
      {"the hive's header", kLog, kHead + key + std::string(kLogRecordEnd), 1},
      {"a text cut short that is no header", kLog, "Orvinta registry hive", 1},
      {"a key deeper than 512 levels", kLog, kLogHead + "[" + kTooDeep + "]\n" + std::string(kLogRecordEnd), 4},
      {"a deleted key that deep", kLog, kLogHead + "[-" + kTooDeep + "]\n" + std::string(kLogRecordEnd), 4},
      {"a root deleted", kLog, kLogHead + "[-HKEY_USERS]\n" + std::string(kLogRecordEnd), 4},
      {"a value of a deleted key", kLog, kLogHead + "[-HKEY_USERS\\K]\n\"v\"=\"1\"\n" + std::string(kLogRecordEnd), 5},
      {"a bad line in the unfinished record", kLog, kLogHead + key + std::string(kLogRecordEnd) + key + "v=1\n", 7},
      {"a bad line in the unfinished first record", kLog, kLogHead + key + "\"v\"=1\n\"w\"=", 5},
      {"an unfinished last line", kLog, kLogHead + key + "\"v\"=\"\\q", -1},
  };
  for (const Case& c : cases) {
    Hive hive;
    LogRead read;
    HiveParseError error;
    bool taken = c.reader == kHive ? ParseHive(c.text, hive, error) : ReadLog(c.text, true, 1, &hive, read, error);
    EXPECT_EQ(taken, c.line < 0) << c.what << ": " << error.reason;
    if (c.line >= 0) {
      EXPECT_EQ(error.line, static_cast<size_t>(c.line)) << c.what << ": " << error.reason;
      EXPECT_FALSE(error.reason.empty()) << c.what;
    }
  }
}

// The packed registry against a plain model: names that differ in case and many values per
// key, set, replaced, deleted and deleted with their keys, through table growth and reuse.
TEST(Hive, KeepsEveryNameAndValueThroughManyChanges) {
  Hive hive;
  std::map<std::pair<int, std::u16string>, std::pair<std::u16string, uint32_t>> model;  // (key, folded) -> (name, size)
  KeyId keys[3];
  keys[0] = hive.AddSubkey(Hive::Root(1), u"One");
  keys[1] = hive.AddSubkey(Hive::Root(1), u"Two");
  std::mt19937 random(7);
  auto rebuildThird = [&] { keys[2] = hive.AddSubkey(keys[1], u"Three"); };
  rebuildThird();
  for (int step = 0; step < 60000; ++step) {
    int k = static_cast<int>(random() % 3);
    char16_t name[] = {static_cast<char16_t>(u"aAbBcC\u00e9\u00c9"[random() % 8]),
                       static_cast<char16_t>(u'0' + random() % 40), 0};
    int choice = static_cast<int>(random() % 100);
    if (choice < 60) {
      std::vector<uint8_t> data(random() % 40, static_cast<uint8_t>(step));
      hive.SetValue(keys[k], name, 3, data.data(), static_cast<uint32_t>(data.size()));
      auto [at, added] = model.try_emplace({k, FoldName(name)}, name, 0);
      at->second.second = static_cast<uint32_t>(data.size());
    } else if (choice < 99) {
      EXPECT_EQ(hive.DeleteValue(keys[k], name), model.erase({k, FoldName(name)}) == 1);
    } else {
      hive.DeleteSubkey(keys[1], u"THREE");
      std::erase_if(model, [](const auto& entry) { return entry.first.first == 2; });
      rebuildThird();
    }
  }
  for (int k = 0; k < 3; ++k) {
    size_t count = 0;
    for (Hive::ValueId v = hive.FirstValue(keys[k]); v != Hive::kNoValue; v = hive.NextValue(v), ++count) {
      HiveValue value = hive.Value(v);
      auto found = model.find({k, FoldName(value.name)});
      ASSERT_NE(found, model.end());
      EXPECT_EQ(value.name, found->second.first) << "the case it was created with";
      EXPECT_EQ(value.size, found->second.second);
    }
    EXPECT_EQ(count, static_cast<size_t>(std::count_if(model.begin(), model.end(),
                                                       [k](const auto& entry) { return entry.first.first == k; })));
  }
}

}  // namespace
}  // namespace orvinta::platform::host
