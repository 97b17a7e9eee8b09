// The host's log gathers entries in memory, yet what a command logged reaches the file before
// the program waits, and a program that dies (a crash, a signal) loses none of it. The program
// itself is run, as the log is read from ORVINTA_LOG once per process.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/device_files.h"

extern char** environ;

namespace orvinta::test {
namespace {

pid_t Start(const std::string& script, const std::string& log) {
  std::vector<std::string> environment{"ORVINTA_LOG=" + log, "ORVINTA_ROOT=" + platform::host::DeviceRoot(),
                                       "ORVINTA_REGISTRY=" + std::filesystem::path(log).replace_extension("hive").string()};
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = ORVINTA_PROGRAM, text = script;
  char* argv[] = {program.data(), text.data(), nullptr};
  pid_t pid = 0;
  return posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) == 0 ? pid : 0;
}

TEST(HostLogBuffer, WhatWasLoggedSurvivesACrashAndIsInTheFileDuringAWait) {
  DeviceFolder folder;
  std::filesystem::copy_file(ORVINTA_TEST_LIBRARY, folder.Host(u"t.dll"));
  const std::string library = base::Utf16ToUtf8(folder.Device(u"t.dll"));
  const std::string entry = "     00000000 The operation completed successfully.\r\n\r\n";
  struct Case {
    const char* what;
    std::string script;
    std::string logged;  // what the log holds when the program dies
    bool killWhenLogged;  // killed (SIGKILL) once the log holds it, else left to crash
  } cases[] = {
      {"a crash in a library", "EVAL 1=a\nCDLL " + library + ",FirstUnit,#0\nEVAL 2=b",
       "EVAL 1=a\r\n" + entry + "CDLL " + library + "\x01" "FirstUnit\x01#0\r\n", false},
      {"killed while it waits", "EVAL 1=a\nWAIT 60000\nEVAL 2=b", "EVAL 1=a\r\n" + entry + "WAIT 60000\r\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers end the program themselves at the library's fault, with no signal to catch.
    if (!c.killWhenLogged) continue;
#endif
    const std::string log = folder.Host(u"log.txt");
    std::filesystem::remove(log);
    const pid_t pid = Start(c.script, log);
    ASSERT_NE(pid, 0);
    for (int i = 0; c.killWhenLogged && i < 1000 && DeviceFolder::ReadHostFile(log) != c.logged; ++i) usleep(10000);
    if (c.killWhenLogged) kill(pid, SIGKILL);  // no chance to write anything more
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(DeviceFolder::ReadHostFile(log), c.logged);
  }
}

}  // namespace
}  // namespace orvinta::test
