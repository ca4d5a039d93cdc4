# The module's own sources beyond the portable core, in one list for both Windows builds (the
# GCC build in cmake/windows.cmake and the Microsoft-ABI build in cmake/windows-msvc.cmake).
set(PYRELLE_MODULE_SOURCES
  # host binding
  host/module_state.cpp
  host/module_entry.cpp
  host/service_lookup.cpp
  host/component_services.cpp
  host/visualisation_toggle.cpp
  # fire engine run
  fire/sample_chunk.cpp
  fire/step_result.cpp
  fire/display_session.cpp
  fire/render_thread.cpp
  fire/render_thread_entry.cpp
  fire/fire_run.cpp
  fire/fire_engine.cpp
  fire/run_window_class.cpp
  # preferences
  prefs/mode_enumeration.cpp
  prefs/preferences_page.cpp
)
