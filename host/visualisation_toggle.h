#pragma once
// The menu command's switch: ends the run when one is going, otherwise starts one from the
// stored settings and the display mode they choose.
#include "config/configuration.h"
#include "prefs/display_mode_list.h"

namespace pyrelle {

class fire_engine;

// With no modes nothing starts; a stored index outside the list uses the nearest mode for this
// run (the stored index is left as it is). A run that fails to start simply does not appear.
void toggle_visualisation(fire_engine& engine, const display_mode_list& modes, const configuration& settings);

}  // namespace pyrelle
