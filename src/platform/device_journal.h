// The device journal: a record of device calls instead of their effects.
//
// JournalingDevice wraps another Device and appends one line per call to a sink before passing
// the call on: the call's name, then its arguments, numbers as "0x" and eight upper-case hex
// digits, a text in double quotes (printable ASCII as it is, any other code unit, '"' and '%'
// as "%" and four hex digits), "null" for an absent text, an input buffer as "[" its bytes in
// hex "]". StandInDevice answers as a platform without the device's own services does.
// Together they make the host's device and the Windows program's test seam.
#pragma once
#include <string>
#include <string_view>

#include "platform/device.h"

namespace orvinta::platform {

class JournalSink {
 public:
  virtual ~JournalSink() = default;
  // One whole line, without its line break. A line that can't be written is dropped.
  virtual void AppendLine(std::string_view line) = 0;
};

class JournalingDevice final : public Device {
 public:
  JournalingDevice(Device& inner, JournalSink& sink) : inner_(inner), sink_(sink) {}

  bool MessageBeep(uint32_t type) override;
  void Sleep(uint32_t milliseconds) override;
  uint32_t ProcessConfigXml(const char16_t* document, uint32_t flags, std::u16string* output) override;
  bool KernelIoControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                       uint32_t* returned) override;
  bool SetCleanRebootFlag() override;
  bool GwesPowerOffSystem() override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;
  void KeybdEvent(uint8_t virtualKey, uint8_t scanCode, uint32_t flags, uintptr_t extraInfo) override;
  bool PlaySoundW(const char16_t* name, uint32_t flags) override;

 private:
  Device& inner_;
  JournalSink& sink_;
};

// A platform without the services only a Windows CE device has: the configuration manager's
// stand-in (platform/config_manager.h) in place of the device's own, no kernel I/O control, clean-reboot flag, power-off or shell shutdown (false),
// key events that go nowhere, no sound to play (false; stopping none succeeds), a beep that
// succeeds as on a desktop without a sound device. Waiting is the derived class's to decide.
class StandInDevice : public Device {
 public:
  bool MessageBeep(uint32_t) override { return true; }
  uint32_t ProcessConfigXml(const char16_t* document, uint32_t flags, std::u16string* output) override;
  bool KernelIoControl(uint32_t, const void*, uint32_t, void*, uint32_t, uint32_t*) override { return false; }
  bool SetCleanRebootFlag() override { return false; }
  bool GwesPowerOffSystem() override { return false; }
  bool ExitWindowsEx(uint32_t, uint32_t) override { return false; }
  void KeybdEvent(uint8_t, uint8_t, uint32_t, uintptr_t) override {}
  bool PlaySoundW(const char16_t* name, uint32_t) override { return name == nullptr; }
};

// The line format, for sinks and tests: "0x0000002A", and a quoted text as described above.
std::string JournalNumber(uint32_t value);
std::string JournalText(const char16_t* text);

}  // namespace orvinta::platform
