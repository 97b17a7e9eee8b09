// The host's device: what it answers, what it writes to the journal, how it plays and waits.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/platform.h"
#include "support/run_script.h"
#include "support/test_environment.h"

namespace orvinta::test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(HostDevice, JournalsEveryCallAndAnswersAsAPlatformWithoutDeviceServices) {
  const fs::path journal = FreshDeviceFolder("journal") / "journal.txt";
  ScopedVariable journalTo("ORVINTA_JOURNAL", journal.string());
  ScopedVariable noPlayer("ORVINTA_SOUND_PLAYER", "");
  const std::pair<const char16_t*, int32_t> cases[] = {
      {u"SHUT", 1}, {u"SHUT P", 1}, {u"SHUT G", 1}, {u"SHUT S", 1}, {u"SHUT H", 1}, {u"SHUT C", 1},
      {u"SHUT R", 1}, {u"SHUT A", 1}, {u"SHUT K", 0}, {u"BEEP 0x40", 0}, {u"SEND 0x41_", 0},
      {u"PLAY x.wav", 1}, {u"WAIT 1", 0},
  };
  for (const auto& [script, result] : cases) EXPECT_EQ(RunScriptText(script), result);
  std::string text = ReadFile(journal);
  EXPECT_EQ(text.rfind("ExitWindowsEx 0x00000002 0x00000000\n", 0), 0u);
  EXPECT_NE(text.find("\nMessageBeep 0x00000040\nkeybd_event 0x00000041 0x00000000 0x00000000 0x00000000\n"
                      "PlaySoundW \"x.wav\" 0x00020000\nSleep 0x00000001\n"),
            std::string::npos);
}

TEST(HostDevice, WaitsBlockedWithoutUsingTheProcessor) {
  const auto wallStart = std::chrono::steady_clock::now();
  const std::clock_t processorStart = std::clock();
  platform::Get().device->Sleep(150);
  const double processorMs = 1000.0 * static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
  EXPECT_GE(std::chrono::steady_clock::now() - wallStart, std::chrono::milliseconds(150));
  EXPECT_LT(processorMs, 50.0);
}

class HostSound : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshDeviceFolder("sounds");
    std::ofstream(folder_ / "a.wav") << "RIFF";
  }
  fs::path folder_;
  fs::path record_ = TestDeviceRoot() / "player-record.txt";
  ScopedVariable player_{"ORVINTA_SOUND_PLAYER", ORVINTA_TEST_HELPER_PROGRAM};
  ScopedVariable recordTo_{"ORVINTA_HELPER_RECORD", (fs::remove(record_), record_.string())};
};

TEST_F(HostSound, PlaysAFileThroughTheHostPlayer) {
  EXPECT_EQ(RunScriptText(u"PLAY \\SOUNDS\\A.WAV"), 0);
  EXPECT_EQ(ReadFile(record_), "start [" + (folder_ / "a.wav").string() + "]\nend\n");
}

TEST_F(HostSound, FailsWhatTheHostCannotPlay) {
  for (const char16_t* script : {u"PLAY \\sounds\\missing.wav", u"PLAY $SystemStart", u"PLAY *\\sounds\\a.wav",
                                 u"PLAY \\sounds"}) {
    EXPECT_EQ(RunScriptText(script), 1);
  }
  ScopedVariable noPlayer("ORVINTA_SOUND_PLAYER", "");
  EXPECT_EQ(RunScriptText(u"PLAY \\sounds\\a.wav"), 1);
  EXPECT_FALSE(fs::exists(record_));
}

TEST_F(HostSound, BackgroundSoundPlaysOnUntilAnEmptyPlayStopsIt) {
  ScopedVariable linger("ORVINTA_HELPER_LINGER", "20000");
  EXPECT_EQ(RunScriptText(u"PLAY !*\\sounds\\a.wav"), 0);
  EXPECT_EQ(RunScriptText(u"PLAY"), 0);  // returns once the player has ended
  EXPECT_EQ(ReadFile(record_).find("end"), std::string::npos);
}

}  // namespace
}  // namespace orvinta::test
