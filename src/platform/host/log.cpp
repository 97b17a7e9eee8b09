#include "platform/log.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>

#include "base/utf8.h"
#include "platform/backend.h"
#include "platform/host/log_file.h"
#include "platform/host/system_calls.h"

namespace orvinta::platform {

namespace {

constexpr size_t kPiece = 64 * 1024;  // written when this much has gathered
constexpr long kMostDelayNs = 20 * 1000 * 1000;

long NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<long>(now.tv_sec % 1000000) * 1000000000L + now.tv_nsec;
}

// What a signal handler may reach: the file and the bytes not yet written. The handler writes
// them with the plain system call and lets the signal take its course.
int g_fd = -1;
const char* volatile g_pending = nullptr;
volatile size_t g_pendingSize = 0;

void WriteAll(int fd, const char* data, size_t size, ssize_t (*write)(int, const void*, size_t)) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) return;  // a write that fails is dropped: logging never changes a result
    done += static_cast<size_t>(n);
  }
}

constexpr int kEndingSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTERM, SIGINT, SIGHUP, SIGQUIT};
struct sigaction g_before[NSIG];  // what each ending signal did before the log caught it

void FlushOnSignal(int signal, siginfo_t* info, void* context) {
  const int saved = errno;
  if (g_fd >= 0 && g_pending != nullptr) WriteAll(g_fd, g_pending, g_pendingSize, ::write);
  g_pendingSize = 0;
  errno = saved;
  // Then whatever was there before (a sanitizer's report, say), or the signal's own course.
  const struct sigaction& before = g_before[signal];
  if ((before.sa_flags & SA_SIGINFO) != 0 && before.sa_sigaction != nullptr) {
    before.sa_sigaction(signal, info, context);
  } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
    before.sa_handler(signal);
  } else {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

// Signals that end the program (and crashes) write the log first, then go where they went
// before. The handler runs on a stack of its own, so that a stack overflow is caught too.
void CatchEndingSignals() {
  static char stack[64 * 1024];
  stack_t alternate{};
  alternate.ss_sp = stack;
  alternate.ss_size = sizeof stack;
  sigaltstack(&alternate, nullptr);
  for (int signal : kEndingSignals) {
    struct sigaction action{};
    action.sa_sigaction = FlushOnSignal;
    action.sa_flags = SA_ONSTACK | SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    if (sigaction(signal, nullptr, &g_before[signal]) != 0 || g_before[signal].sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

// Writes each unit's low byte and answers all the units or'ed together (>= 0x80: not ASCII, and
// then the bytes written from the first such unit on mean nothing). Eight units at a time where
// the processor has SSE2: log entries are short, and a unit at a time was most of the log's cost.
char16_t NarrowUnits(char* to, const char16_t* from, size_t count) {
  size_t k = 0;
  char16_t units = 0;
#if defined(__SSE2__)
  __m128i any = _mm_setzero_si128();
  for (; k + 8 <= count; k += 8) {
    const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k));
    any = _mm_or_si128(any, eight);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to + k), _mm_packus_epi16(eight, eight));
  }
  any = _mm_or_si128(any, _mm_srli_si128(any, 8));
  any = _mm_or_si128(any, _mm_srli_si128(any, 4));
  any = _mm_or_si128(any, _mm_srli_si128(any, 2));
  units = static_cast<char16_t>(_mm_cvtsi128_si32(any));
#endif
  for (; k < count; ++k) {
    to[k] = static_cast<char>(from[k]);
    units |= from[k];
  }
  return units;
}

class HostLog final : public Log {
 public:
  HostLog() {
    const char* path = std::getenv("ORVINTA_LOG");
    if (path != nullptr && *path != 0) fd_ = host::Sys().open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    g_fd = fd_;
    Publish();
    CatchEndingSignals();
  }
  ~HostLog() override {
    Flush();
    g_fd = -1;
    if (fd_ >= 0) host::Sys().close(fd_);
  }

  bool Enabled() override { return fd_ >= 0; }

  void Append(std::u16string_view text) override {
    if (fd_ < 0) return;
    // The clock is read for the first entry gathered and then at every 32nd: cheap enough for a
    // script of a million quick lines, often enough for a slow one.
    if (size_ == 0) {
      oldest_ = NowNs();
      appends_ = 0;
    }
    if (text.size() * 3 > sizeof pending_ - size_) {  // a unit takes at most 3 bytes in UTF-8
      Flush();
      if (text.size() * 3 > sizeof pending_) {  // longer than the buffer: written at once
        std::string long_text;
        base::AppendUtf8(long_text, text);
        WriteAll(fd_, long_text.data(), long_text.size(), host::Sys().write);
        return;
      }
    }
    // ASCII, which log entries mostly are, goes straight in (narrowed and checked in one pass,
    // which the compiler vectorises); text with anything else goes from its first such unit
    // through the codec, over what the narrowing wrote.
    const char16_t units = NarrowUnits(pending_ + size_, text.data(), text.size());
    size_t i = text.size();
    if (units >= 0x80) {
      for (i = 0; text[i] < 0x80; ++i) {
      }
    }
    size_ += i;
    if (i < text.size()) {
      std::string rest;
      base::AppendUtf8(rest, text.substr(i));
      rest.copy(pending_ + size_, rest.size());
      size_ += rest.size();
    }
    g_pendingSize = size_;
    if (size_ >= kPiece) {
      Flush();
    } else if (++appends_ % 32 == 0) {
      const long now = NowNs();
      if (now - oldest_ >= kMostDelayNs || now < oldest_) Flush();
    }
  }

  void Flush() {
    if (fd_ < 0 || size_ == 0) return;
    WriteAll(fd_, pending_, size_, host::Sys().write);
    size_ = 0;
    g_pendingSize = 0;
  }

 private:
  void Publish() { g_pending = pending_; }

  int fd_ = -1;
  char pending_[2 * kPiece];  // what is gathered: below kPiece, and one text more
  size_t size_ = 0;
  long oldest_ = 0;
  unsigned appends_ = 0;
};

HostLog& TheLog() {
  static HostLog log;
  return log;
}

}  // namespace

Log* backend::DefaultLog() { return &TheLog(); }

void host::FlushLog() { TheLog().Flush(); }

}  // namespace orvinta::platform
