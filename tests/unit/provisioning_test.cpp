// The configuration manager's stand-in: what the end-to-end cases can't show, values no REGX
// reads whole and the parser's limits.
#include "platform/config_manager.h"

#include <gtest/gtest.h>

#include "platform/constants.h"
#include "platform/provisioning_values.h"
#include "platform/xml_tree.h"

namespace orvinta::platform {
namespace {

// The provisioning end-to-end cases show the values' edges, but not these bytes whole.
TEST(ProvisioningValues, DecodeToTheByte) {
  struct Case {
    std::u16string datatype, value;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {u"integer", u"-2147483648", {0, 0, 0, 0x80}},   // a result whose entry no case can show
      {u"multiplestring", u"a", {'a', 0, 0, 0, 0, 0}},  // %0 ends at the first zero
  };
  for (const Case& c : cases) {
    RegistryData data;
    ASSERT_EQ(DecodeParmValue(c.datatype, c.value, data), ValueVerdict::Ok);
    EXPECT_EQ(data.bytes, c.bytes);
  }
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
  const char16_t* loneSurrogate = u"<wap-provisioningdoc>\xD800</wap-provisioningdoc>";
  EXPECT_EQ(ProcessConfigXmlStandIn(loneSurrogate, win::kCfgFlagProcess, nullptr), win::kConfigEBadXml);
  EXPECT_EQ(ProcessConfigXmlStandIn(u"<wap-provisioningdoc/>", 2, nullptr), win::kEInvalidArg);
}

}  // namespace
}  // namespace orvinta::platform
