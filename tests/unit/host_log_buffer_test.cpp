// The host's log gathers entries in memory, yet what a command logged reaches the file before
// the program waits, and a program that dies (a crash, a signal) loses none of it. The program
// itself is run, as the log is read from ORVINTA_LOG once per process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/device_files.h"

namespace orvinta::test {
namespace {

pid_t Start(const std::string& script, const std::string& log) {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("ORVINTA_LOG", log.c_str(), 1);
    setenv("ORVINTA_ROOT", platform::host::DeviceRoot().c_str(), 1);
    setenv("ORVINTA_REGISTRY", (log + ".hive").c_str(), 1);
    execl(ORVINTA_PROGRAM, ORVINTA_PROGRAM, script.c_str(), nullptr);
    _exit(127);
  }
  return pid;
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
    ASSERT_GT(pid, 0);
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
