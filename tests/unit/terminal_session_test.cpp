// The host's terminal session and HELP where the system fails them: a terminal without a name
// still gets the one-session lock, and a pager that can't be started still lets HELP print.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/host/system_calls.h"
#include "platform/shell.h"
#include "support/device_files.h"

namespace orvinta::test {
namespace {

namespace host = platform::host;
namespace fs = std::filesystem;

// A terminal on standard input only (the session then reads lines without editing), with or
// without a name and a device number.
struct FakeTerminal {
  static inline bool named = true, numbered = true;
  static inline int heldLocks = -1;  // lock files held by the session, counted while it is open
  static inline fs::path runtime;

  static int IsATty(int fd) { return fd == STDIN_FILENO ? 1 : 0; }
  static char* TtyName(int) {
    static char name[] = "/dev/pts/77";
    if (named) return name;
    errno = ENOTTY;
    return nullptr;
  }
  static int Fstat(int fd, struct stat* info) {
    if (fd != STDIN_FILENO) return host::RealSystemCalls().fstat(fd, info);
    if (!numbered) return errno = EBADF, -1;
    *info = {};
    info->st_mode = S_IFCHR | 0620;
    info->st_rdev = makedev(136, 77);
    return 0;
  }
  // The session's first read: the lock files that another copy would find taken, then the end.
  static ssize_t EndOfInput(char**, size_t*, FILE*) {
    heldLocks = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(runtime)) {
      int fd = ::open(entry.path().c_str(), O_RDWR | O_CLOEXEC);
      if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) ++heldLocks;
      if (fd >= 0) ::close(fd);
    }
    return -1;
  }
};

int32_t OpenSession() {
  platform::MainWindowCalls calls{};
  SystemCallFault<&host::SystemCalls::isatty> isatty(0, 0, &FakeTerminal::IsATty);
  SystemCallFault<&host::SystemCalls::ttyname> ttyname(0, 0, &FakeTerminal::TtyName);
  SystemCallFault<&host::SystemCalls::fstat> fstat(0, 0, &FakeTerminal::Fstat);
  SystemCallFault<&host::SystemCalls::getline> getline(0, 0, &FakeTerminal::EndOfInput);
  FakeTerminal::heldLocks = -1;
  return platform::OpenMainWindow(calls);
}

TEST(TerminalSession, OneSessionPerTerminalWithOrWithoutItsName) {
  struct Case {
    bool named, numbered;
    int held;  // lock files held while the session is open
  } cases[] = {
      {true, true, 1},
      {false, true, 1},   // no name: the device number names the lock
      {false, false, 0},  // nothing to name it by: the session opens without the lock
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "named " << c.named << ", numbered " << c.numbered);
    FakeTerminal::runtime = fs::path(testing::TempDir()) / ("runtime-" + std::to_string(getpid()));
    fs::remove_all(FakeTerminal::runtime);
    fs::create_directories(FakeTerminal::runtime);
    ScopedVariable runtime("XDG_RUNTIME_DIR", FakeTerminal::runtime.string());
    FakeTerminal::named = c.named;
    FakeTerminal::numbered = c.numbered;
    EXPECT_EQ(OpenSession(), 0);
    EXPECT_EQ(FakeTerminal::heldLocks, c.held);
    // Another copy on the same terminal holds the lock: this one opens nothing and answers 1.
    for (const fs::directory_entry& entry : fs::directory_iterator(FakeTerminal::runtime)) {
      int other = ::open(entry.path().c_str(), O_RDWR | O_CLOEXEC);
      ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
      EXPECT_EQ(OpenSession(), 1);
      EXPECT_EQ(FakeTerminal::heldLocks, -1) << "the session was opened";
      ::close(other);
    }
    fs::remove_all(FakeTerminal::runtime);
  }
}

int StdoutIsATty(int fd) { return fd == STDOUT_FILENO ? 1 : 0; }

TEST(HelpPager, ThePageIsPrintedWhenNoPagerStarts) {
  fs::path paged = fs::path(testing::TempDir()) / ("paged-" + std::to_string(getpid()));
  struct Case {
    std::string pager;
    bool pipeFails;
    bool printed;
  } cases[] = {
      {"cat > '" + paged.string() + "'", false, false},  // the pager shows it
      {"cat > '" + paged.string() + "'", true, true},    // no pipe to the pager
      {"/nonexistent/pager", false, true},                 // the shell can't find it
      {"'" + paged.string() + "'", false, true},          // not a program
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pager + (c.pipeFails ? ", no pipe" : ""));
    fs::remove(paged);
    ScopedVariable pager("PAGER", c.pager);
    SystemCallFault<&host::SystemCalls::isatty> isatty(0, 0, &StdoutIsATty);
    SystemCallFault<&host::SystemCalls::popen> popen(c.pipeFails ? -1 : 0, EMFILE);
    if (c.pager.front() == '\'') {
      std::FILE* plain = std::fopen(paged.c_str(), "w");  // exists, but can't be run
      std::fclose(plain);
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(platform::ShowHelp(), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("【9. 致谢】") != std::string::npos, c.printed) << out.size();
    if (!c.printed) {
      EXPECT_GT(fs::file_size(paged), 1000u);
    }
  }
  fs::remove(paged);
}

}  // namespace
}  // namespace orvinta::test
