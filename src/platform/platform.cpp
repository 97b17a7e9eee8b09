#include "platform/platform.h"

#include "platform/backend.h"

namespace orvinta::platform {

Services& Get() {
  static Services services{backend::DefaultFiles(), backend::DefaultProcesses(), backend::DefaultDevice(),
                           backend::DefaultTextTime(), backend::DefaultLog(), backend::DefaultRegistry(),
                           backend::DefaultWindows()};
  return services;
}

}  // namespace orvinta::platform
