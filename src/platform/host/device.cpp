// The host's device: every call goes to the journal named by ORVINTA_JOURNAL, and the answers
// are those of a platform without the device's own services (StandInDevice). Nothing touches
// the machine, except that Sleep does wait and PlaySoundW uses a host audio player when there is
// one (platform/host/sound_player.h).
#include "platform/device.h"

#include <time.h>
#include <unistd.h>

#include "platform/backend.h"
#include "platform/device_journal.h"
#include "platform/host/sound_player.h"
#include "platform/host/log_file.h"
#include "platform/host/system_calls.h"

namespace orvinta::platform {

namespace {

class HostDevice final : public StandInDevice {
 public:
  // Blocked in nanosleep, the process uses no processor time while it waits.
  void Sleep(uint32_t milliseconds) override {
    host::FlushLog();  // the log is complete while the program waits
    if (milliseconds == 0xFFFFFFFF) {
      for (;;) host::Sys().pause();  // INFINITE, as on the device
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (host::Sys().nanosleep(&remaining, &remaining) != 0) {
    }
  }

  bool PlaySoundW(const char16_t* name, uint32_t flags) override { return host::PlaySoundWithPlayer(name, flags); }
};

}  // namespace

Device* backend::DefaultDevice() {
  static HostDevice device;
  static JournalingDevice journaled(device, *backend::DefaultJournal());
  return &journaled;
}

}  // namespace orvinta::platform
