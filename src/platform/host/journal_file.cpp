// The journal: each line appended to the file named by ORVINTA_JOURNAL at the time of the call.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/host/system_calls.h"

namespace orvinta::platform {

namespace {

class JournalFile final : public JournalSink {
 public:
  void AppendLine(std::string_view line) override {
    const char* path = std::getenv("ORVINTA_JOURNAL");
    if (path == nullptr || *path == 0) return;
    std::string text(line);
    text += '\n';
    int fd = host::Sys().open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return;
    ssize_t written = host::Sys().write(fd, text.data(), text.size());  // one write: lines never interleave
    (void)written;
    host::Sys().close(fd);
  }
};

}  // namespace

JournalSink* backend::DefaultJournal() {
  static JournalFile journal;
  return &journal;
}

}  // namespace orvinta::platform
