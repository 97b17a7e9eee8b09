#include "app/rooms.h"

#include "app/window_commands.h"
#include "commands/system_commands.h"
#include "dialogs/dialog_commands.h"
#include "engine/dispatcher.h"
#include "engine/room_services.h"
#include "files/file_commands.h"
#include "platform/platform.h"
#include "registry/importer.h"
#include "registry/registry_commands.h"

namespace orvinta::app {

namespace {

uint32_t DeviceConfigurationManager(const char16_t* document, uint32_t flags) {
  return platform::Get().device->ProcessConfigXml(document, flags, nullptr);
}

}  // namespace

void WireRooms() {
  engine::InstallCommands(registry::kCommands);
  engine::InstallCommands(files::kCommands);
  engine::InstallCommands(commands::kCommands);
  engine::InstallCommands(dialogs::kCommands);
  engine::InstallCommands(kCommands);
  engine::InstallRoomServices({registry::ImportRegistryText, DeviceConfigurationManager});
}

}  // namespace orvinta::app
