#include "platform/log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/host/system_calls.h"
#include "base/utf8.h"

namespace orvinta::platform {

namespace {

class HostLog final : public Log {
 public:
  HostLog() {
    const char* path = std::getenv("ORVINTA_LOG");
    if (path != nullptr && *path != 0) fd_ = host::Sys().open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  }
  ~HostLog() override {
    if (fd_ >= 0) host::Sys().close(fd_);
  }

  bool Enabled() override { return fd_ >= 0; }

  void Append(std::u16string_view text) override {
    if (fd_ < 0) return;
    utf8_.clear();  // keeps its capacity: no allocation per line once warmed up
    base::AppendUtf8(utf8_, text);
    size_t done = 0;
    while (done < utf8_.size()) {
      ssize_t n = host::Sys().write(fd_, utf8_.data() + done, utf8_.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

 private:
  int fd_ = -1;
  std::string utf8_;
};

}  // namespace

Log* backend::DefaultLog() {
  static HostLog log;
  return &log;
}

}  // namespace orvinta::platform
