#include "platform/host/sound_player.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/host/device_paths.h"
#include "platform/host/log_file.h"
#include "platform/host/system_calls.h"

extern char** environ;

namespace orvinta::platform::host {

namespace {

pid_t g_background = 0;  // the player of the sound playing in the background, in its own group

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return Sys().stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && Sys().access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

std::string FindPlayer() {
  if (const char* chosen = std::getenv("ORVINTA_SOUND_PLAYER"); chosen != nullptr) {
    return *chosen == 0 ? std::string() : FindOnPath(chosen);
  }
  for (const char* name : {"paplay", "pw-play", "aplay"}) {
    if (std::string found = FindOnPath(name); !found.empty()) return found;
  }
  return {};
}

void StopBackgroundSound() {
  if (g_background == 0) return;
  Sys().kill(-g_background, SIGTERM);
  Sys().waitpid(g_background, nullptr, 0);
  g_background = 0;
}

// Starts the player in a process group of its own, its output discarded.
pid_t StartPlayer(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  FlushLog();
  int error = Sys().posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : 0;
}

}  // namespace

bool PlaySoundWithPlayer(const char16_t* name, uint32_t flags) {
  StopBackgroundSound();
  if (name == nullptr) return true;
  if ((flags & win::kSndAlias) != 0) return false;
  const bool async = (flags & win::kSndAsync) != 0;
  const bool loop = (flags & win::kSndLoop) != 0;
  if (loop && !async) return false;

  std::string player = FindPlayer();
  if (player.empty()) return false;
  std::u16string_view device(name);
  std::string file = HostPathFor(device);
  struct stat info;
  if (Sys().stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;

  // A loop stops by itself once this program is gone (killed, say, with no chance to stop it).
  pid_t pid = loop ? StartPlayer({"/bin/sh", "-c", "while kill -0 \"$2\" 2>/dev/null && \"$0\" \"$1\"; do sleep 0.1; done",
                                  player, file, std::to_string(getpid())})
                   : StartPlayer({player, file});
  if (pid == 0) return false;
  if (async) {
    // The sound belongs to this program: it ends when the program does.
    static const bool stopsAtExit = std::atexit(StopBackgroundSound) == 0;
    (void)stopsAtExit;
    g_background = pid;
    return true;
  }
  int status = 0;
  while (Sys().waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace orvinta::platform::host
