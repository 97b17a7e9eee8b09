// A sound playing in the background belongs to the program that started it: it ends with it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/device_files.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

bool Gone(pid_t pid) {
  for (int i = 0; i < 1000; ++i) {  // at most 10 s for the player to be reaped
    if (kill(pid, 0) != 0) return true;
    usleep(10000);
  }
  return false;
}

TEST(HostSoundOwner, ALoopingSoundEndsWhenTheProgramExits) {
  DeviceFolder folder;
  folder.Write(u"a.wav", "RIFF");
  const std::string player = folder.Host(u"player.sh"), pids = folder.Host(u"pids");
  std::ofstream(player) << "#!/bin/sh\necho $$ >> '" << pids << "'\nexec sleep 30\n";
  std::filesystem::permissions(player, std::filesystem::perms::owner_all);
  ScopedVariable chosen("ORVINTA_SOUND_PLAYER", player);

  std::fflush(nullptr);
  const pid_t program = fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    const int32_t result = RunText(u"PLAY !*" + folder.Device(u"a.wav")).result;
    for (int i = 0; i < 500 && !std::filesystem::exists(pids); ++i) usleep(10000);  // the player has begun
    std::exit(result == 0 ? 0 : 1);  // exits as the program does: what it registered runs
  }
  int status = 0;
  ASSERT_EQ(waitpid(program, &status, 0), program);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  pid_t played = 0;
  std::ifstream(pids) >> played;
  ASSERT_GT(played, 0);
  const bool gone = Gone(played);
  EXPECT_TRUE(gone) << "the player plays on after the program ended";
  if (!gone) kill(played, SIGKILL);
}

}  // namespace
}  // namespace orvinta::test
