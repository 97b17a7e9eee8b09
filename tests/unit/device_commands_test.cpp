// SHUT, SEND, PLAY and WAIT: the calls each makes, in order, and the result it reports. Every
// test records the calls instead of making them, so nothing here reboots, powers off, types or
// sleeps.
#include "support/script.h"

namespace orvinta::test {
namespace {

const std::string kRebootControl = Call("KernelIoControl", 0x0101003C, 0, 0);
const std::string kExitReboot = Call("ExitWindowsEx", 2, 0);
const std::string kColdBoot = Call("KernelIoControl", 0x01012594, 0, 0);

std::string KeyDown(int key) { return Call("keybd_event", key, 0, 0, 0); }
std::string KeyUp(int key) { return Call("keybd_event", key, 0, 2, 0); }

// Runs `command` on a device whose calls succeed or fail, and checks its calls and result.
void ExpectCalls(std::u16string_view command, bool succeeds, const Calls& calls, int32_t result,
                 std::source_location where = std::source_location::current()) {
  RecordingDevice device(succeeds);
  ExpectRun(command, {.result = result, .calls = calls}, where);
}

TEST(Shut, EachMethodMakesItsCallsInOrderAndReportsTheDecisiveOne) {
  const std::tuple<const char16_t*, Calls, int32_t> cases[] = {  // the result when the calls fail
      {u"SHUT", {kExitReboot}, 1},
      {u"SHUT r", {kRebootControl}, 1},
      {u"SHUT G", {"GwesPowerOffSystem"}, 1},
      {u"SHUT P", {Call("ExitWindowsEx", 8, 0)}, 1},
      {u"SHUT K", {Call("keybd_event", 0xDF, 0, 4, 0), Call("keybd_event", 0xDF, 0, 6, 0)}, 0},
      {u"SHUT h", {kColdBoot, "SetCleanRebootFlag", kRebootControl}, 1},
      {u"SHUT H0zz", {Call("KernelIoControl", 0, 0, 0), "SetCleanRebootFlag", kRebootControl}, 1},
      {u"SHUT S", {Call("KernelIoControl", 0x01012000, 0, 0), "GwesPowerOffSystem"}, 1},
      {u"SHUT c", {"SetCleanRebootFlag", kRebootControl}, 1},
  };
  for (const auto& [command, calls, resultWhenFailing] : cases) {
    ExpectCalls(command, true, calls, 0);
    ExpectCalls(command, false, calls, resultWhenFailing);
  }
}

TEST(Shut, ColdBootResultComesFromTheRebootNotFromTheOemCall) {
  RecordingDevice device;
  device.kernelCodesThatSucceed = {0x0101003C};
  EXPECT_EQ(RunText(u"SHUT H").result, 0);
  device.kernelCodesThatSucceed = {0x01012594};
  EXPECT_EQ(RunText(u"SHUT H").result, 1);
}

TEST(Send, TokensPressAndReleaseKeysAndOnlyTheLastValueDecides) {
  const std::tuple<const char16_t*, Calls, int32_t> cases[] = {
      {u"SEND 0x41", {KeyDown(0x41), KeyUp(0x41)}, 0},
      {u"SEND 0x141", {KeyDown(0x41), KeyUp(0x41)}, 0},  // low 8 bits sent, full value decides
      {u"SEND 0", {KeyDown(0), KeyUp(0)}, 1},
      {u"SEND 0x41,0", {KeyDown(0x41), KeyUp(0x41), KeyDown(0), KeyUp(0)}, 1},
      {u"SEND 0,0x41", {KeyDown(0), KeyUp(0), KeyDown(0x41), KeyUp(0x41)}, 0},
      {u"SEND 0x10_", {KeyDown(0x10)}, 0},
      {u"SEND 0x10^", {KeyUp(0x10)}, 0},
      {u"SEND ,", {KeyDown(0), KeyUp(0), KeyDown(0), KeyUp(0)}, 1},  // empty tokens have no suffix
      {u"SEND _", {KeyDown(0)}, 1},
      {u"SEND 0x41%,", {KeyDown(0x41), KeyUp(0x41)}, 0},  // an escaped comma is a suffix, not a separator
  };
  for (const auto& [command, calls, result] : cases) ExpectCalls(command, true, calls, result);
}

TEST(Play, PrefixesAddFlagsAndAnEmptyNameStopsTheSound) {
  const std::pair<const char16_t*, std::string> cases[] = {
      {u"PLAY \\Windows\\Alarm1.wav", R"(PlaySoundW "\Windows\Alarm1.wav" 0x00020000)"},
      {u"PLAY *!x.wav", R"(PlaySoundW "x.wav" 0x00020009)"},
      {u"PLAY !!**$$x", R"(PlaySoundW "x" 0x00030009)"},
      {u"PLAY x!*.wav", R"(PlaySoundW "x!*.wav" 0x00020000)"},  // prefixes only lead
      {u"PLAY !", "PlaySoundW null 0x00020001"},
  };
  for (const auto& [command, call] : cases) {
    ExpectCalls(command, true, {call}, 0);
    ExpectCalls(command, false, {call}, 1);
  }
}

// A count with the top bit set reads as 0: no script can wait forever (INFINITE) or for weeks
// by an arithmetic slip; the longest wait is 0x7FFFFFFF ms.
TEST(Wait, SleepsForPositiveCountsAndReadsTopBitCountsAsZero) {
  const std::pair<const char16_t*, uint32_t> cases[] = {
      {u"WAIT 2000", 2000},      {u"WAIT 2147483647", 0x7FFFFFFF}, {u"WAIT 2147483648", 0},
      {u"WAIT 0xFFFFFFFF", 0}, {u"WAIT -5000", 0},                 {u"WAIT 4294968296", 1000},
  };
  for (const auto& [command, milliseconds] : cases) ExpectCalls(command, true, {Call("Sleep", milliseconds)}, 0);
}

TEST(DeviceJournal, TextsAreQuotedWithUnprintableUnitsEscaped) {
  EXPECT_EQ(platform::JournalText(nullptr), "null");
  EXPECT_EQ(platform::JournalText(u"\\Windows\\a b.wav"), R"("\Windows\a b.wav")");
  EXPECT_EQ(platform::JournalText(u"\"%\x01\u00e9"), "\"%0022%0025%0001%00E9\"");
}

}  // namespace
}  // namespace orvinta::test
