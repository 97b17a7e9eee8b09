// The host's device: how it plays. What it journals and answers is shown by the
// device-calls end-to-end case.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/device_files.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

// The helper program stands in for the host's audio player and records how it was started.
class HostSound : public ::testing::Test {
 protected:
  void SetUp() override { folder_.Write(u"a.wav", "RIFF"); }
  int32_t Play(std::u16string_view argument) { return RunText(u"PLAY " + std::u16string(argument)).result; }
  std::string Record() const { return DeviceFolder::ReadHostFile(record_); }

  DeviceFolder folder_{u"sounds"};
  std::string record_ = folder_.Host(u"record.txt");
  ScopedVariable player_{"ORVINTA_SOUND_PLAYER", ORVINTA_TEST_HELPER_PROGRAM};
  ScopedVariable recordTo_{"ORVINTA_HELPER_RECORD", record_};
};

TEST_F(HostSound, PlaysAFileThroughTheHostPlayer) {
  EXPECT_EQ(Play(u"\\SOUNDS\\A.WAV"), 0);
  EXPECT_EQ(Record(), "start [" + folder_.Host(u"a.wav") + "]\nend\n");
}

TEST_F(HostSound, FailsWhatTheHostCannotPlay) {
  for (const char16_t* argument : {u"\\sounds\\missing.wav", u"$SystemStart", u"*\\sounds\\a.wav", u"\\sounds"}) {
    EXPECT_EQ(Play(argument), 1);
  }
  ScopedVariable noPlayer("ORVINTA_SOUND_PLAYER", "");
  EXPECT_EQ(Play(u"\\sounds\\a.wav"), 1);
  EXPECT_FALSE(std::filesystem::exists(record_));
}

TEST_F(HostSound, BackgroundSoundPlaysOnUntilAnEmptyPlayStopsIt) {
  ScopedVariable linger("ORVINTA_HELPER_LINGER", "20000");
  EXPECT_EQ(Play(u"!*\\sounds\\a.wav"), 0);
  EXPECT_EQ(Play(u""), 0);  // returns once the player has ended
  EXPECT_EQ(Record().find("end"), std::string::npos);
}

}  // namespace
}  // namespace orvinta::test
