// Byte lists and REGX on the host's registry; the registry end-to-end cases
// show REGX's common forms, its refusals and the root names.
#include <gtest/gtest.h>

#include "engine/interpreter_state.h"
#include "registry/registry_key.h"
#include "support/hive.h"
#include "support/script.h"

namespace orvinta::registry {
namespace {

using test::KeyExists;
using test::RunText;
using test::TempHive;

// The end-to-end cases show the digit rules; this is the buffer's edge, which ASan watches.
TEST(ParseByteList, AOneDigitLastItemEndsAtTheTerminator) {
  std::u16string list = u"7";
  for (int i = 1; i < 1000; ++i) list += u",7";
  auto text = std::make_unique<char16_t[]>(list.size() + 1);
  std::copy(list.begin(), list.end() + 1, text.get());
  EXPECT_EQ(ParseByteList(text.get()), 1000u);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(text.get())[999], 0x07);
}

TEST(Regx, EachChangeIsWrittenBeforeTheCommandReturnsAndARefusalCreatesNothing) {
  TempHive hive;
  EXPECT_EQ(RunText(u"REGX HKCU\\Test").result, win::AsResult(win::kEInvalidArg));
  EXPECT_FALSE(KeyExists(win::kHkeyCurrentUser, u"Test"));
  EXPECT_EQ(hive.ReadHiveText(), "");
  EXPECT_EQ(RunText(u"REGX HKCU\\S\\v=1").result, 0);
  EXPECT_NE(hive.ReadHiveText().find("\"v\"=\"1\""), std::string::npos);
}

}  // namespace
}  // namespace orvinta::registry
