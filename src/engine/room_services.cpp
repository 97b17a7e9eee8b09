#include "engine/room_services.h"

#include "engine/script_context.h"
#include "platform/platform.h"

namespace orvinta::engine {

namespace {

int32_t NoImporter(char16_t*, char16_t** readPosition) {
  if (readPosition != nullptr) *readPosition = EndOfText();
  return win::AsResult(win::kErrorNotRegistryFile);
}

uint32_t DeviceConfigurationManager(const char16_t* document, uint32_t flags) {
  return platform::Get().device->ProcessConfigXml(document, flags, nullptr);
}

RoomServices g_rooms{NoImporter, DeviceConfigurationManager};

}  // namespace

void InstallRoomServices(const RoomServices& services) { g_rooms = services; }

const RoomServices& Rooms() { return g_rooms; }

}  // namespace orvinta::engine
