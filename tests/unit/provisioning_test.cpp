// The configuration manager's stand-in: what the end-to-end cases can't show. Values no REGX
// reads whole, a registry that refuses part way (everything undone, byte by byte), and the
// parser's limits.
#include "platform/config_manager.h"

#include <gtest/gtest.h>

#include "platform/provisioning_values.h"
#include "platform/xml_tree.h"
#include "registry/importer.h"
#include "support/hive.h"

namespace orvinta::platform {
namespace {

uint32_t Apply(const std::u16string& document) {
  return ProcessConfigXmlStandIn(document.c_str(), win::kCfgFlagProcess, nullptr);
}

// The provisioning end-to-end cases show the values' edges, but not these bytes whole.
TEST(ProvisioningValues, DecodeToTheByte) {
  struct Case {
    std::u16string datatype, value;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {u"integer", u"-2147483648", {0, 0, 0, 0x80}},   // REGX's result entry has no text for it
      {u"multiplestring", u"a", {'a', 0, 0, 0, 0, 0}},  // %0 ends at the first zero
  };
  for (const Case& c : cases) {
    RegistryData data;
    ASSERT_EQ(DecodeParmValue(c.datatype, c.value, data), ValueVerdict::Ok);
    EXPECT_EQ(data.bytes, c.bytes);
  }
}

// The registry refuses the last setting (a value name longer than 16,383 units), after a value
// was replaced and one deleted, a key tree deleted and a key made: all of it is put back.
TEST(ProvisioningStandIn, ARefusalPartWayLeavesTheRegistryAsItWas) {
  test::TempHive hive;
  auto folded = [&hive] {  // the hive as the process end writes it
    EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
    hive.Reopen();
    return test::DeviceFolder::ReadHostFile(hive.HivePath());
  };
  std::u16string script = u"[HKCU\\Software\\T]\n\"Old\"=\"before\"\n\"Gone\"=\"kept\"\n"
                          u"[HKCU\\Software\\T\\Tree\\Deep]\n\"Low\"=dword:2\n\"Bin\"=hex:01,02\n";
  ASSERT_EQ(registry::ImportRegistryText(script.data(), nullptr), 0);
  const std::string before = folded();
  const std::u16string start =
      u"<wap-provisioningdoc><characteristic type=\"Registry\"><characteristic type=\"HKCU\\Software\\T\">"
      u"<parm name=\"Old\" value=\"after\"/><noparm name=\"Gone\"/></characteristic>"
      u"<nocharacteristic type=\"HKCU\\Software\\T\\Tree\"/><characteristic type=\"HKCU\\Software\\New\\Sub\">"
      u"<parm name=\"A\" value=\"1\"/><parm name=\"";
  const std::u16string end = u"\" value=\"2\"/></characteristic></characteristic></wap-provisioningdoc>";
  EXPECT_EQ(Apply(start + std::u16string(16384, u'n') + end), win::HresultFromWin32(win::kErrorInvalidParameter));
  EXPECT_EQ(folded(), before);
  EXPECT_EQ(Apply(start + std::u16string(16383, u'n') + end), win::kSOk);
  EXPECT_NE(folded(), before) << "the same document with a name that fits is applied";
}

TEST(ProvisioningStandIn, ParserLimits) {
  auto nested = [](size_t depth) {
    std::u16string text;
    for (size_t i = 0; i < depth; ++i) text += u"<a>";
    for (size_t i = 0; i < depth; ++i) text += u"</a>";
    return text;
  };
  XmlElement root;
  EXPECT_TRUE(ParseXmlTree(nested(kMaxXmlDepth), root));
  EXPECT_FALSE(ParseXmlTree(nested(kMaxXmlDepth + 1), root));
  EXPECT_EQ(Apply(u"<wap-provisioningdoc>\xD800</wap-provisioningdoc>"), win::kConfigEBadXml);
  EXPECT_EQ(ProcessConfigXmlStandIn(u"<wap-provisioningdoc/>", 2, nullptr), win::kEInvalidArg);
}

}  // namespace
}  // namespace orvinta::platform
