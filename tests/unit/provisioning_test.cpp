// The configuration manager's stand-in: what the end-to-end cases can't show. The values'
// decoders at their edges, a registry that refuses part way (everything undone, byte by byte),
// the same settings as a registry script giving the same hive, and the parser's limits.
#include "platform/config_manager.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/provisioning_values.h"
#include "platform/xml_tree.h"
#include "registry/importer.h"
#include "support/hive.h"
#include "support/services.h"

namespace orvinta::platform {
namespace {

using test::TempHive;

uint32_t Apply(const std::u16string& document, std::u16string* output = nullptr) {
  return ProcessConfigXmlStandIn(document.c_str(), win::kCfgFlagProcess, output);
}

std::u16string Doc(const std::u16string& inside) {
  return u"<wap-provisioningdoc><characteristic type=\"Registry\">" + inside + u"</characteristic></wap-provisioningdoc>";
}

// The registry below a root as the registry service shows it: each key's path, then its values
// by name with their type and bytes. What a fault must leave as it was.
std::string Dump(KeyHandle key, const std::string& path = "") {
  Registry& registry = *Get().registry;
  std::vector<std::string> values;
  char16_t name[300];
  uint8_t data[64];
  for (uint32_t i = 0;; ++i) {
    uint32_t units = 300, type = 0, size = sizeof data;
    if (registry.RegEnumValueW(key, i, name, &units, &type, data, &size) != 0) break;
    std::string line = " " + std::string(name, name + units) + "=" + std::to_string(type) + ":";
    for (uint32_t b = 0; b < size; ++b) line += std::to_string(data[b]) + ",";
    values.push_back(line + "\n");
  }
  std::sort(values.begin(), values.end());
  std::string out = path + "\n";
  for (const std::string& value : values) out += value;
  for (uint32_t i = 0;; ++i) {
    uint32_t units = 300;
    if (registry.RegEnumKeyExW(key, i, name, &units) != 0) break;
    KeyHandle sub = 0;
    if (registry.RegOpenKeyExW(key, name, win::kKeyAllAccess, &sub) != 0) break;
    out += Dump(sub, path + "\\" + std::string(name, name + units));
    registry.RegCloseKey(sub);
  }
  return out;
}

TEST(ProvisioningValues, DecodeAtTheEdges) {
  struct Case {
    std::u16string datatype, value;
    ValueVerdict verdict;
    std::vector<uint8_t> bytes;  // when Ok
  } cases[] = {
      {u"integer", u"-2147483648", ValueVerdict::Ok, {0, 0, 0, 0x80}},
      {u"integer", u"-2147483649", ValueVerdict::BadValue, {}},
      {u"integer", u"4294967296", ValueVerdict::BadValue, {}},
      {u"integer", u"", ValueVerdict::BadValue, {}},
      {u"integer", u"0x10", ValueVerdict::BadValue, {}},
      {u"Boolean", u"FALSE", ValueVerdict::Ok, {0, 0, 0, 0}},
      {u"boolean", u"2", ValueVerdict::BadValue, {}},
      {u"float", u".5", ValueVerdict::Ok, {'.', 0, '5', 0, 0, 0}},
      {u"float", u"1e", ValueVerdict::BadValue, {}},
      {u"binary", u"", ValueVerdict::Ok, {}},
      {u"binary", u"AQ==", ValueVerdict::Ok, {1}},
      {u"binary", u"AQI", ValueVerdict::BadValue, {}},
      {u"binary", u"A===", ValueVerdict::BadValue, {}},
      {u"binary", u"AQ==AQ==", ValueVerdict::BadValue, {}},
      {u"multiplestring", u"a", ValueVerdict::Ok, {'a', 0, 0, 0, 0, 0}},
      {u"multiplestring", u"a\uF000\uF000b", ValueVerdict::BadValue, {}},
      {u"date", u"2000-02-29", ValueVerdict::Ok, {0x00, 0x80, 0xCC, 0xEB, 0x47, 0x82, 0xBF, 0x01}},
      {u"date", u"1900-02-29", ValueVerdict::BadValue, {}},
      {u"date", u"1600-12-31", ValueVerdict::BadValue, {}},
      {u"time", u"1601-01-01T00:00:00.0000001", ValueVerdict::Ok, {1, 0, 0, 0, 0, 0, 0, 0}},
      {u"time", u"1601-01-01T24:00:00", ValueVerdict::BadValue, {}},
      {u"time", u"1601-01-01", ValueVerdict::BadValue, {}},
      {u"number", u"1", ValueVerdict::UnknownDatatype, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.datatype.begin(), c.datatype.end()) + " " + std::string(c.value.begin(), c.value.end()));
    RegistryData data;
    ASSERT_EQ(DecodeParmValue(c.datatype, c.value, data), c.verdict);
    if (c.verdict == ValueVerdict::Ok) {
      EXPECT_EQ(data.bytes, c.bytes);
    }
  }
}

// Fails the n-th value write with ERROR_CANT_WRITE; every other call goes through.
class RefusingRegistry final : public test::Installed<Registry, &Services::registry> {
 public:
  explicit RefusingRegistry(int failAt) : left_(failAt) {}
  uint32_t RegCreateKeyExW(KeyHandle p, const char16_t* s, uint32_t a, KeyHandle* r) override {
    return inner.RegCreateKeyExW(p, s, a, r);
  }
  uint32_t RegOpenKeyExW(KeyHandle p, const char16_t* s, uint32_t a, KeyHandle* r) override {
    return inner.RegOpenKeyExW(p, s, a, r);
  }
  uint32_t RegSetValueExW(KeyHandle k, const char16_t* n, uint32_t t, const void* d, uint32_t s) override {
    return --left_ == 0 ? win::kErrorCantWrite : inner.RegSetValueExW(k, n, t, d, s);
  }
  uint32_t RegQueryValueExW(KeyHandle k, const char16_t* n, uint32_t* t, void* d, uint32_t* s) override {
    return inner.RegQueryValueExW(k, n, t, d, s);
  }
  uint32_t RegDeleteValueW(KeyHandle k, const char16_t* n) override { return inner.RegDeleteValueW(k, n); }
  uint32_t RegDeleteKeyW(KeyHandle p, const char16_t* s) override { return inner.RegDeleteKeyW(p, s); }
  uint32_t RegCloseKey(KeyHandle k) override { return inner.RegCloseKey(k); }
  uint32_t RegEnumKeyExW(KeyHandle k, uint32_t i, char16_t* n, uint32_t* u) override {
    return inner.RegEnumKeyExW(k, i, n, u);
  }
  uint32_t RegEnumValueW(KeyHandle k, uint32_t i, char16_t* n, uint32_t* u, uint32_t* t, void* d, uint32_t* s) override {
    return inner.RegEnumValueW(k, i, n, u, t, d, s);
  }
  uint32_t CommitChanges() override { return inner.CommitChanges(); }

 private:
  int left_;
};

TEST(ProvisioningStandIn, ARefusalPartWayLeavesTheRegistryAsItWas) {
  TempHive hive;
  ASSERT_EQ(registry::ImportRegistryText(std::u16string(u"[HKCU\\Software\\T]\n\"Old\"=\"before\"\n"
                                                        u"[HKCU\\Software\\T\\Tree\\Deep]\n\"Low\"=dword:2\n"
                                                        u"\"Bin\"=hex:01,02\n")
                                             .data(),
                                         nullptr),
            0);
  const std::string before = Dump(RootKeyHandle(win::kHkeyCurrentUser));
  const std::u16string document =
      Doc(u"<characteristic type=\"HKCU\\Software\\T\"><parm name=\"Old\" value=\"after\"/><noparm name=\"Old\"/>"
          u"</characteristic><nocharacteristic type=\"HKCU\\Software\\T\\Tree\"/>"
          u"<characteristic type=\"HKCU\\Software\\New\\Sub\"><parm name=\"A\" value=\"1\"/>"
          u"<parm name=\"B\" value=\"2\"/></characteristic>");
  for (int failAt = 1; failAt <= 3; ++failAt) {
    SCOPED_TRACE(failAt);
    RefusingRegistry refusing(failAt);
    EXPECT_EQ(Apply(document), win::HresultFromWin32(win::kErrorCantWrite));
    EXPECT_EQ(Dump(RootKeyHandle(win::kHkeyCurrentUser)), before);
  }
  EXPECT_EQ(Apply(document), win::kSOk);
  EXPECT_FALSE(test::KeyExists(win::kHkeyCurrentUser, u"Software\\T\\Tree"));
}

// A peer check: the same settings as a registry script, imported by the importer, make the same
// hive, key by key and byte by byte.
TEST(ProvisioningStandIn, SameHiveAsTheRegistryScript) {
  std::string fromScript;
  {
    TempHive hive;
    std::u16string script =
        u"[HKEY_LOCAL_MACHINE\\Software\\P\\Q]\n\"S\"=\"text\"\n\"I\"=dword:fffffffe\n\"B\"=dword:00000001\n"
        u"\"F\"=\"2.5\"\n\"M\"=multi_sz:\"x\",\"yz\"\n\"X\"=hex:00,ff,10\n\"T\"=hex:00,80,3e,d5,de,b1,9d,01\n";
    ASSERT_EQ(registry::ImportRegistryText(script.data(), nullptr), 0);
    fromScript = Dump(RootKeyHandle(win::kHkeyLocalMachine));
  }
  TempHive hive;
  ASSERT_EQ(Apply(Doc(u"<characteristic type=\"HKLM\\Software\\P\\Q\"><parm name=\"S\" value=\"text\"/>"
                      u"<parm name=\"I\" value=\"-2\" datatype=\"integer\"/>"
                      u"<parm name=\"B\" value=\"true\" datatype=\"boolean\"/>"
                      u"<parm name=\"F\" value=\"2.5\" datatype=\"float\"/>"
                      u"<parm name=\"M\" value=\"x\uF000yz\uF000\uF000\" datatype=\"multiplestring\"/>"
                      u"<parm name=\"X\" value=\"AP8Q\" datatype=\"binary\"/>"
                      u"<parm name=\"T\" value=\"1970-01-01T00:00:00Z\" datatype=\"time\"/></characteristic>")),
            win::kSOk);
  EXPECT_EQ(Dump(RootKeyHandle(win::kHkeyLocalMachine)), fromScript);
}

TEST(ProvisioningStandIn, ParserLimits) {
  TempHive hive;
  auto nested = [](size_t depth) {
    std::u16string text;
    for (size_t i = 0; i < depth; ++i) text += u"<a>";
    for (size_t i = 0; i < depth; ++i) text += u"</a>";
    return text;
  };
  XmlElement root;
  EXPECT_TRUE(ParseXmlTree(nested(kMaxXmlDepth), root));
  EXPECT_FALSE(ParseXmlTree(nested(kMaxXmlDepth + 1), root));
  const std::u16string big(10 * 1024 * 1024, u'x');
  EXPECT_EQ(Apply(Doc(u"<characteristic type=\"HKCU\\Big\"><parm name=\"v\" value=\"" + big + u"\"/></characteristic>")),
            win::kSOk);
  EXPECT_EQ(test::ReadValue(win::kHkeyCurrentUser, u"Big", u"v")->data.size(), big.size() * 2 + 2);
  EXPECT_EQ(Apply(u"<wap-provisioningdoc>\xD800</wap-provisioningdoc>"), win::kConfigEBadXml);
  EXPECT_EQ(Apply(u"<!DOCTYPE a [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><wap-provisioningdoc>&b;"
                  u"</wap-provisioningdoc>"),
            win::kConfigEBadXml);
  EXPECT_EQ(ProcessConfigXmlStandIn(u"<wap-provisioningdoc/>", 2, nullptr), win::kEInvalidArg);
}

}  // namespace
}  // namespace orvinta::platform
