// The platform layer: every effect the program has on the world goes through here.
//
// Portable code reaches the services through one process-wide object, Get(). The build chooses
// the backend (platform/win32 or platform/host); both mirror the Win32 calls, flags and error
// codes. Tests swap one service for a recording or failing decorator with ServiceOverride.
#pragma once
#include "platform/constants.h"
#include "platform/device.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/text_time.h"
#include "platform/windows.h"

namespace orvinta::platform {

struct Services {
  Files* files;
  Processes* processes;
  Device* device;
  TextTime* text;
  Log* log;
  Registry* registry;
  Windows* windows;
};

// The services in force. The backend provides the defaults.
Services& Get();

// Replaces one service for the life of the object, then puts the previous one back.
template <typename Service>
class ServiceOverride {
 public:
  ServiceOverride(Service* Services::*slot, Service* replacement)
      : slot_(slot), previous_(Get().*slot) {
    Get().*slot_ = replacement;
  }
  ~ServiceOverride() { Get().*slot_ = previous_; }
  ServiceOverride(const ServiceOverride&) = delete;
  ServiceOverride& operator=(const ServiceOverride&) = delete;

 private:
  Service* Services::*slot_;
  Service* previous_;
};

}  // namespace orvinta::platform
