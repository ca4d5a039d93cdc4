#pragma once
// The name under which the host shows the module: the component's name, the title of the run's
// window and the name of the preferences page.

namespace pyrelle {

inline constexpr char component_name[] = "Pyrelle visualisation";

}  // namespace pyrelle
