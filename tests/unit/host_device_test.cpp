// The host's device: how it plays, and that a sound playing in the background belongs to the
// program that started it. What it journals and answers is shown by the device-calls
// end-to-end case.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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

// A player that writes its process id, in a program that exits as ours does (what it
// registered runs).
TEST_F(HostSound, ALoopingSoundEndsWhenTheProgramExits) {
  const std::string player = folder_.Host(u"player.sh"), pids = folder_.Host(u"pids");
  std::ofstream(player) << "#!/bin/sh\necho $$ >> '" << pids << "'\nexec sleep 30\n";
  std::filesystem::permissions(player, std::filesystem::perms::owner_all);
  ScopedVariable chosen("ORVINTA_SOUND_PLAYER", player);
  std::fflush(nullptr);
  const pid_t program = fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    const int32_t result = Play(u"!*\\sounds\\a.wav");
    for (int i = 0; i < 500 && !std::filesystem::exists(pids); ++i) usleep(10000);  // the player has begun
    std::exit(result == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(program, &status, 0), program);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  pid_t played = 0;
  std::ifstream(pids) >> played;
  ASSERT_GT(played, 0);
  int tries = 0;
  while (kill(played, 0) == 0 && ++tries < 1000) usleep(10000);  // at most 10 s for it to be reaped
  EXPECT_LT(tries, 1000) << "the player plays on after the program ended";
  if (tries == 1000) kill(played, SIGKILL);
}

}  // namespace
}  // namespace orvinta::test
