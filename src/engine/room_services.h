// What the engine asks of the rooms above it: the registry-script importer (registry blocks in
// scripts, registry files found by LOAD) and the configuration manager (XML documents). The
// engine does not know those rooms; app installs them at start-up. Until then a registry text
// answers 1017 (not registry text) and an XML document goes to the platform's device call.
#pragma once
#include <cstdint>

namespace orvinta::engine {

struct RoomServices {
  // Imports the registry text at `text`. File mode (readPosition null): to the end of the text.
  // Embedded mode: stops at the first line that is not registry text and sets *readPosition to
  // its start (or to the end of the text). Returns 0 or 1017.
  int32_t (*importRegistryText)(char16_t* text, char16_t** readPosition);
  // Hands an XML provisioning document to the configuration manager; returns its HRESULT.
  uint32_t (*processConfigXml)(const char16_t* document, uint32_t flags);
};

void InstallRoomServices(const RoomServices& services);
const RoomServices& Rooms();

}  // namespace orvinta::engine
