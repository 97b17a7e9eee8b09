#include "platform/device.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/backend.h"
#include "platform/constants.h"

namespace orvinta::platform {

namespace {

// A build machine is not a device: every device call is appended to the journal named by
// ORVINTA_JOURNAL ("Name 0x........" per argument, one line per call) and nothing else happens
// to the machine, except that Sleep does wait.
void Journal(const char* name, uint32_t first, const uint32_t* second = nullptr) {
  const char* path = std::getenv("ORVINTA_JOURNAL");
  if (path == nullptr || *path == 0) return;
  char line[96];
  int length = second == nullptr ? std::snprintf(line, sizeof line, "%s 0x%08X\n", name, first)
                                 : std::snprintf(line, sizeof line, "%s 0x%08X 0x%08X\n", name, first, *second);
  int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return;
  ssize_t written = write(fd, line, static_cast<size_t>(length));
  (void)written;
  close(fd);
}

class HostDevice final : public Device {
 public:
  // Beeping is a sound the host does not make; like a desktop without a sound device, the
  // call still reports success.
  bool MessageBeep(uint32_t type) override {
    Journal("MessageBeep", type);
    return true;
  }

  void Sleep(uint32_t milliseconds) override {
    Journal("Sleep", milliseconds);
    if (milliseconds == 0xFFFFFFFF) {
      for (;;) pause();  // INFINITE, as on the device
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0) {
    }
  }

  // The host has no configuration manager.
  uint32_t ProcessConfigXml(const char16_t*, uint32_t flags) override {
    Journal("DMProcessConfigXML", flags);
    return win::kENotImpl;
  }
};

}  // namespace

Device* backend::DefaultDevice() {
  static HostDevice device;
  return &device;
}

}  // namespace orvinta::platform
