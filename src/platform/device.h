// Device services: sounds, pauses, and the services only a Windows CE device has.
//
// Contract: every call is synchronous. A service the platform lacks reports failure the way
// the platform's own call would (false, or an HRESULT), never success. The host backend never
// touches the machine it runs on: it records each call in the device journal.
#pragma once
#include <cstdint>

namespace orvinta::platform {

class Device {
 public:
  virtual ~Device() = default;

  // MessageBeep: true when the platform reports success.
  virtual bool MessageBeep(uint32_t type) = 0;

  // Sleep for that many milliseconds; 0xFFFFFFFF waits forever, as on the device.
  virtual void Sleep(uint32_t milliseconds) = 0;

  // DMProcessConfigXML with a zero-terminated document; returns the HRESULT. Any output
  // document is released inside the backend.
  virtual uint32_t ProcessConfigXml(const char16_t* document, uint32_t flags) = 0;
};

}  // namespace orvinta::platform
