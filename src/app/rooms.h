// Wiring the rooms into the engine: their commands into the dispatcher's table, the importer
// and the configuration manager into the engine's services. Start does it before anything
// runs; tests and fuzz targets that run scripts without Start call it themselves.
#pragma once

namespace orvinta::app {

void WireRooms();

}  // namespace orvinta::app
