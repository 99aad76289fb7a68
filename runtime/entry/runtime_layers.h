// Joins the runtime's layers: each lower layer reaches the one above only
// through a table installed here, before anything runs.
#pragma once

namespace imprinta {

// Installs the window layer into the core. Called by the process entry; a
// test that starts the runtime without it calls this first.
void InstallRuntimeLayers();

}  // namespace imprinta
