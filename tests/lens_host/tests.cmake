# The lens-design host stand-in loads the built DLL by path, as the host
# does; it sets the host's data folder in the registry of the test's Wine
# prefix with `reg add`, as a user does.
target_link_libraries(${target} PRIVATE trace_rays_core)
target_compile_definitions(${target} PRIVATE QUELBRANT_PLUGIN_LIBRARY="$<TARGET_FILE:quelbrant-sub-wavelength>")
add_dependencies(${target} quelbrant-sub-wavelength)
