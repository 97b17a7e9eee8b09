// Device services: sounds, pauses, key events, and the services only a Windows CE device has.
//
// Contract: every call is synchronous. A service the platform lacks reports failure the way
// the platform's own call would (false, or an HRESULT), never success; calls that return
// nothing on the device (SetCleanRebootFlag, GwesPowerOffSystem) report here whether the call
// could be made at all. The host backend never touches the machine it runs on: it records
// each call in the device journal (platform/device_journal.h).
#pragma once
#include <cstdint>
#include <string>

namespace orvinta::platform {

class Device {
 public:
  virtual ~Device() = default;

  // MessageBeep: true when the platform reports success.
  virtual bool MessageBeep(uint32_t type) = 0;

  // Sleep for that many milliseconds; 0xFFFFFFFF waits forever, as on the device.
  virtual void Sleep(uint32_t milliseconds) = 0;

  // DMProcessConfigXML with a zero-terminated document; returns the HRESULT. The output
  // document (the answers to queries) is copied to `output` when that is not null (empty when
  // none came back) and released inside the backend. Where the platform has no configuration
  // manager, the stand-in of platform/config_manager.h answers.
  virtual uint32_t ProcessConfigXml(const char16_t* document, uint32_t flags, std::u16string* output) = 0;

  // KernelIoControl(code, in, inSize, out, outSize, returned): true on success.
  virtual bool KernelIoControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                               uint32_t* returned) = 0;

  // SetCleanRebootFlag: the next reboot wipes the stored data. False when the platform lacks it.
  virtual bool SetCleanRebootFlag() = 0;

  // GwesPowerOffSystem: switches the device off and returns once it is on again. False when
  // the platform lacks it.
  virtual bool GwesPowerOffSystem() = 0;

  // ExitWindowsEx of the shell: true on success.
  virtual bool ExitWindowsEx(uint32_t flags, uint32_t reserved) = 0;

  // keybd_event: one key press or release, as if typed.
  virtual void KeybdEvent(uint8_t virtualKey, uint8_t scanCode, uint32_t flags, uintptr_t extraInfo) = 0;

  // PlaySoundW(name, no module, flags): true on success. A null name stops any sound playing.
  virtual bool PlaySoundW(const char16_t* name, uint32_t flags) = 0;
};

}  // namespace orvinta::platform
