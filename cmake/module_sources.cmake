# The module for both Windows builds (the GCC build in cmake/windows.cmake and the Microsoft-ABI
# build in cmake/windows-msvc.cmake): its own sources beyond the portable core, and the targets.
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

# pyrelle_module_objects, the module's code as one object library that pyrelle.dll and, unchanged,
# the Windows tests that look inside it link; and pyrelle.dll itself. ARGN: the libraries each
# build adds (where DirectDraw's GUIDs come from, and the system's import libraries).
function(pyrelle_add_module)
  add_library(pyrelle_module_objects OBJECT ${PYRELLE_MODULE_SOURCES})
  target_link_libraries(pyrelle_module_objects PUBLIC pyrelle_core shared_import ddraw ${ARGN})
  target_compile_definitions(pyrelle_module_objects PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

  add_library(pyrelle_module SHARED
    $<TARGET_OBJECTS:pyrelle_module_objects>
    host/pyrelle.def
    prefs/pyrelle.rc
  )
  set_target_properties(pyrelle_module PROPERTIES OUTPUT_NAME pyrelle PREFIX "")
  target_link_libraries(pyrelle_module PRIVATE pyrelle_module_objects)
endfunction()
