// SHUT H: which call decides its result, which the end-to-end cases (where every device call
// fails) can't show. The device calls and results of every command are in the device cases.
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Shut, ColdBootResultComesFromTheRebootNotFromTheOemCall) {
  QuietDevice device;
  device.kernelCodesThatSucceed = {0x0101003C};
  EXPECT_EQ(RunText(u"SHUT H").result, 0);
  device.kernelCodesThatSucceed = {0x01012594};
  EXPECT_EQ(RunText(u"SHUT H").result, 1);
}

}  // namespace
}  // namespace orvinta::test
