// SHUT, SEND, PLAY, BEEP and WAIT: the calls each makes, in order, and the result it reports.
// Every test records the calls instead of making them, so nothing here reboots, powers off,
// types or sleeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/journaled_device.h"
#include "support/run_script.h"

namespace orvinta::test {
namespace {

using Calls = std::vector<std::string>;

const std::string kRebootControl = "KernelIoControl 0x0101003C 0x00000000 0x00000000";
const std::string kExitReboot = "ExitWindowsEx 0x00000002 0x00000000";

std::string KeyDown(int key) { return "keybd_event " + platform::JournalNumber(key) + " 0x00000000 0x00000000 0x00000000"; }
std::string KeyUp(int key) { return "keybd_event " + platform::JournalNumber(key) + " 0x00000000 0x00000002 0x00000000"; }

struct ShutCase {
  const char16_t* argument;
  Calls calls;
  int32_t resultWhenCallsSucceed;
  int32_t resultWhenCallsFail;
};

TEST(Shut, EachMethodMakesItsCallsInOrderAndReportsTheDecisiveOne) {
  const ShutCase cases[] = {
      {u"", {kExitReboot}, 0, 1},
      {u"x", {kExitReboot}, 0, 1},
      {u"[", {kExitReboot}, 0, 1},
      {u"r", {kRebootControl}, 0, 1},
      {u"R", {kRebootControl}, 0, 1},
      {u"Reset", {kRebootControl}, 0, 1},
      {u"G", {"GwesPowerOffSystem"}, 0, 1},
      {u"P", {"ExitWindowsEx 0x00000008 0x00000000"}, 0, 1},
      {u"K",
       {"keybd_event 0x000000DF 0x00000000 0x00000004 0x00000000",
        "keybd_event 0x000000DF 0x00000000 0x00000006 0x00000000"},
       0,
       0},
      {u"h", {"KernelIoControl 0x01012594 0x00000000 0x00000000", "SetCleanRebootFlag", kRebootControl}, 0, 1},
      {u"Hx", {"KernelIoControl 0x01012594 0x00000000 0x00000000", "SetCleanRebootFlag", kRebootControl}, 0, 1},
      {u"H0x01012004", {"KernelIoControl 0x01012004 0x00000000 0x00000000", "SetCleanRebootFlag", kRebootControl}, 0, 1},
      {u"H0zz", {"KernelIoControl 0x00000000 0x00000000 0x00000000", "SetCleanRebootFlag", kRebootControl}, 0, 1},
      {u"S", {"KernelIoControl 0x01012000 0x00000000 0x00000000", "GwesPowerOffSystem"}, 0, 1},
      {u"c", {"SetCleanRebootFlag", kRebootControl}, 0, 1},
      {u"A", {"KernelIoControl 0x01012004 0x00000004 0x00000000 [01000000]", kExitReboot}, 0, 1},
  };
  for (const ShutCase& c : cases) {
    for (bool succeeds : {true, false}) {
      JournaledDevice device(succeeds);
      int32_t result = RunScriptText(u"SHUT " + std::u16string(c.argument));
      SCOPED_TRACE(std::string(c.argument, c.argument + std::char_traits<char16_t>::length(c.argument)));
      EXPECT_EQ(device.Calls(), c.calls);
      EXPECT_EQ(result, succeeds ? c.resultWhenCallsSucceed : c.resultWhenCallsFail);
    }
  }
}

TEST(Shut, ColdBootResultComesFromTheRebootNotFromTheOemCall) {
  JournaledDevice device;
  device.answers.kernelCodesThatSucceed = {0x0101003C};
  EXPECT_EQ(RunScriptText(u"SHUT H"), 0);
  device.answers.kernelCodesThatSucceed = {0x01012594};
  EXPECT_EQ(RunScriptText(u"SHUT H"), 1);
}

struct SendCase {
  const char16_t* argument;
  Calls calls;
  int32_t result;
};

TEST(Send, TokensPressAndReleaseKeysAndOnlyTheLastValueDecides) {
  const SendCase cases[] = {
      {u"0x41", {KeyDown(0x41), KeyUp(0x41)}, 0},
      {u"65", {KeyDown(0x41), KeyUp(0x41)}, 0},
      {u"0x141", {KeyDown(0x41), KeyUp(0x41)}, 0},  // low 8 bits sent, full value decides
      {u"0x100", {KeyDown(0), KeyUp(0)}, 0},
      {u"0", {KeyDown(0), KeyUp(0)}, 1},
      {u"", {KeyDown(0), KeyUp(0)}, 1},
      {u"abc", {KeyDown(0), KeyUp(0)}, 1},
      {u"0x41,0", {KeyDown(0x41), KeyUp(0x41), KeyDown(0), KeyUp(0)}, 1},
      {u"0,0x41", {KeyDown(0), KeyUp(0), KeyDown(0x41), KeyUp(0x41)}, 0},
      {u"0x10_", {KeyDown(0x10)}, 0},
      {u"0x10^", {KeyUp(0x10)}, 0},
      {u"0x12_,0x09_,0x09^,0x12^", {KeyDown(0x12), KeyDown(0x09), KeyUp(0x09), KeyUp(0x12)}, 0},
      // Empty tokens have no suffix: key 0 goes down and up, and the last value becomes 0.
      {u"0x41,", {KeyDown(0x41), KeyUp(0x41), KeyDown(0), KeyUp(0)}, 1},
      {u",", {KeyDown(0), KeyUp(0), KeyDown(0), KeyUp(0)}, 1},
      {u"_", {KeyDown(0)}, 1},
      {u"0x41%,", {KeyDown(0x41), KeyUp(0x41)}, 0},  // an escaped comma is a suffix, not a separator
  };
  for (const SendCase& c : cases) {
    JournaledDevice device;
    int32_t result = RunScriptText(u"SEND " + std::u16string(c.argument));
    SCOPED_TRACE(std::string(c.argument, c.argument + std::char_traits<char16_t>::length(c.argument)));
    EXPECT_EQ(device.Calls(), c.calls);
    EXPECT_EQ(result, c.result);
  }
}

struct PlayCase {
  const char16_t* argument;
  std::string call;
};

TEST(Play, PrefixesAddFlagsAndAnEmptyNameStopsTheSound) {
  const PlayCase cases[] = {
      {u"\\Windows\\Alarm1.wav", R"(PlaySoundW "\Windows\Alarm1.wav" 0x00020000)"},
      {u"!*\\Windows\\Alarm1.wav", R"(PlaySoundW "\Windows\Alarm1.wav" 0x00020009)"},
      {u"*!x.wav", R"(PlaySoundW "x.wav" 0x00020009)"},
      {u"!!**$$x", R"(PlaySoundW "x" 0x00030009)"},
      {u"$SystemStart", R"(PlaySoundW "SystemStart" 0x00030000)"},
      {u"x!*.wav", R"(PlaySoundW "x!*.wav" 0x00020000)"},  // prefixes only lead
      {u"", "PlaySoundW null 0x00020000"},
      {u"!", "PlaySoundW null 0x00020001"},
  };
  for (const PlayCase& c : cases) {
    for (bool succeeds : {true, false}) {
      JournaledDevice device(succeeds);
      int32_t result = RunScriptText(u"PLAY " + std::u16string(c.argument));
      EXPECT_EQ(device.Calls(), Calls{c.call});
      EXPECT_EQ(result, succeeds ? 0 : 1) << c.call;
    }
  }
}

TEST(Beep, PassesTheNumberAsTheSoundTypeAndReportsTheOutcome) {
  const std::pair<const char16_t*, std::string> cases[] = {
      {u"BEEP", "MessageBeep 0x00000000"},
      {u"BEEP 0x40", "MessageBeep 0x00000040"},
      {u"BEEP abc", "MessageBeep 0x00000000"},
      {u"BEEP -1", "MessageBeep 0xFFFFFFFF"},
  };
  for (const auto& [script, call] : cases) {
    for (bool succeeds : {true, false}) {
      JournaledDevice device(succeeds);
      EXPECT_EQ(RunScriptText(script), succeeds ? 0 : 1) << call;
      EXPECT_EQ(device.Calls(), Calls{call});
    }
  }
}

// A count with the top bit set reads as 0: no script can wait forever (INFINITE) or for weeks
// by an arithmetic slip; the longest wait is 0x7FFFFFFF ms.
TEST(Wait, SleepsForPositiveCountsAndReadsTopBitCountsAsZero) {
  const std::pair<const char16_t*, std::string> cases[] = {
      {u"WAIT", "Sleep 0x00000000"},
      {u"WAIT abc", "Sleep 0x00000000"},
      {u"WAIT 2000", "Sleep 0x000007D0"},
      {u"WAIT 0x3E8", "Sleep 0x000003E8"},
      {u"WAIT 2147483647", "Sleep 0x7FFFFFFF"},
      {u"WAIT 2147483648", "Sleep 0x00000000"},
      {u"WAIT 0xFFFFFFFF", "Sleep 0x00000000"},
      {u"WAIT -1", "Sleep 0x00000000"},
      {u"WAIT -5000", "Sleep 0x00000000"},
      {u"WAIT 4294968296", "Sleep 0x000003E8"},  // the number rule keeps the low 32 bits
  };
  for (const auto& [script, call] : cases) {
    JournaledDevice device;
    EXPECT_EQ(RunScriptText(script), 0) << call;
    EXPECT_EQ(device.Calls(), Calls{call});
  }
}

TEST(DeviceJournal, TextsAreQuotedWithUnprintableUnitsEscaped) {
  EXPECT_EQ(platform::JournalText(nullptr), "null");
  EXPECT_EQ(platform::JournalText(u"\\Windows\\a b.wav"), R"("\Windows\a b.wav")");
  EXPECT_EQ(platform::JournalText(u"\"%\x01\u00e9"), "\"%0022%0025%0001%00E9\"");
}

}  // namespace
}  // namespace orvinta::test
