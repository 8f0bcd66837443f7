# Checks on the plug-in as a host sees it: the built library's export table,
# and the host stand-in trace-rays driving the library it loads by path.

# The stand-in's own logic (its expectation from the GPU view) is unit-tested
# here, and its loader opens the built shared library for the tests that
# cross the module boundary.
target_link_libraries(${target} PRIVATE trace_rays_core)
target_compile_definitions(${target} PRIVATE QUELBRANT_PLUGIN_LIBRARY="$<TARGET_FILE:quelbrant-sub-wavelength>")
add_dependencies(${target} quelbrant-sub-wavelength)

if(WIN32)
  set(QUELBRANT_EXPORT_CHECK -DFORMAT=pe -DTOOL=${CMAKE_OBJDUMP})
else()
  set(QUELBRANT_EXPORT_CHECK -DFORMAT=elf -DTOOL=${CMAKE_NM})
endif()
add_test(NAME plugin_export_table
  COMMAND ${CMAKE_COMMAND} ${QUELBRANT_EXPORT_CHECK} -DLIBRARY=$<TARGET_FILE:quelbrant-sub-wavelength>
          -P ${CMAKE_CURRENT_LIST_DIR}/check-exports.cmake)

# trace-rays ARGS (separated by |), expected exit code and output patterns;
# optionally "key|value" to trace a copy of the --file with that root key set.
# Run in the plug-in's folder.
function(quelbrant_trace_rays_test name arguments exitCode patterns)
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -DPROGRAM=$<TARGET_FILE:trace-rays>
            "-DARGUMENTS=${arguments}" -DEXIT_CODE=${exitCode} "-DPATTERNS=${patterns}" "-DSET=${ARGN}"
            -DCOPY=${CMAKE_CURRENT_BINARY_DIR}/${name}.json -P ${CMAKE_CURRENT_LIST_DIR}/run-trace-rays.cmake
    WORKING_DIRECTORY $<TARGET_FILE_DIR:quelbrant-sub-wavelength>)
endfunction()

# The shipped sample, a few thousand rays; the shares must agree with the
# tables within five standard errors.
quelbrant_trace_rays_test(trace_rays_sample "--rays|20000|--threads|4|--check|5" 0
  "plug-in: Diffraction Grating Surface Plugin, type BSDF|check passed|rays per second")
# Every shipped sample whose tables the GPU view fully shows, from both
# sides, in several polarisations: the library's choice of orders must match
# what the tables give (Fresnel's 0.1058 reflectance at 30 degrees inside
# glass for the bare interface).
quelbrant_trace_rays_test(trace_rays_bare_interface
  "--file|${PROJECT_SOURCE_DIR}/data/bare-interface.json|--rays|20000|--check|5" 0
  "reflected   \\(0, 0\\) [^\n]* 0.10577 |check passed")
quelbrant_trace_rays_test(trace_rays_grating_from_above_unpolarised
  "--file|${PROJECT_SOURCE_DIR}/data/grating-1d.json|--side|above|--theta|10|--pol|u|--rays|20000|--check|5" 0
  "check passed")
quelbrant_trace_rays_test(trace_rays_kvector_elliptical
  "--file|${PROJECT_SOURCE_DIR}/data/grating-kvector.json|--pol|0.6,0,0,0.8|--rays|20000|--check|5" 0
  "X/Y Jones blocks|check passed")
quelbrant_trace_rays_test(trace_rays_unit_vectors_xy
  "--file|${PROJECT_SOURCE_DIR}/data/grating-unit-vectors-xy.json|--pol|p|--phi|20|--rays|20000|--check|5" 0
  "check passed")
# A known grating: three transmitted orders at sin(theta) = -0.25, 0, 0.25.
quelbrant_trace_rays_test(trace_rays_three_orders
  "--file|${PROJECT_SOURCE_DIR}/tests/files/plugin-three-orders.json|--theta|0|--wavelength|500|--rays|20000|--check|5"
  0 "\\(-1, 0\\)[^\n]*\\(-0.2500, \\+0.0000, \\+0.9682\\)|\\(1, 0\\)[^\n]*\\(\\+0.2500, \\+0.0000, \\+0.9682\\)|check passed")
# A failed load shows the library's own message and fails.
quelbrant_trace_rays_test(trace_rays_missing_file "--file|${PROJECT_SOURCE_DIR}/tests/files/no-such-grating.json" 1
  "cannot load[^\n]*no-such-grating.json|Unable to open or access file")
quelbrant_trace_rays_test(trace_rays_bad_argument "--rays|many" 2 "--rays expects a whole number")
# The expectation follows the file's interpolation basis and switches, and
# averages each unpolarised ray's own share; positions it cannot predict.
set(grating1d "--file|${PROJECT_SOURCE_DIR}/data/grating-1d.json|--rays|20000|--check|5")
quelbrant_trace_rays_test(trace_rays_interpolation_basis_xy "${grating1d}|--pol|p|--theta|33|--phi|20" 0
  "X/Y Jones blocks|check passed" "polarization_interpolation_basis|3")
quelbrant_trace_rays_test(trace_rays_nearest_angle_node "${grating1d}|--theta|33" 0
  "nearest node|check passed" "polarization_interpolate_over_theta_ux_kx|false")
quelbrant_trace_rays_test(trace_rays_kvector_unpolarised
  "--file|${PROJECT_SOURCE_DIR}/data/grating-kvector.json|--theta|40|--phi|30|--wavelength|520|--pol|u|--rays|20000|--check|5"
  0 "check passed")
quelbrant_trace_rays_test(trace_rays_positions_cannot_predict
  "--file|${PROJECT_SOURCE_DIR}/data/grating-2d-positions.json|--rays|1000|--check|5" 4 "cannot check")
# Counts that do not fit or are not plain digits are refused before --help
# is read (taken as counts, they would start a run of 2^64 - 1 rays); a bare
# --library name is a file in the working folder.
foreach(bad "--rays|99999999999999999999999999" "--rays| -5" "--threads|4294967297" "--seed|18446744073709551616")
  string(MAKE_C_IDENTIFIER "trace_rays_count${bad}" name)
  quelbrant_trace_rays_test(${name} "${bad}|--help" 2 "expects a whole number")
endforeach()
quelbrant_trace_rays_test(trace_rays_library_in_working_folder
  "--library|$<TARGET_FILE_NAME:quelbrant-sub-wavelength>|--rays|1000|--check|5" 0 "check passed")

# The core's include directories reach no plug-in folder.
add_test(NAME core_sees_no_plugin_header
  COMMAND ${CMAKE_COMMAND} -DCOMPILER=${CMAKE_CXX_COMPILER}
          "-DINCLUDES=$<TARGET_PROPERTY:quelbrant_core,INCLUDE_DIRECTORIES>"
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/core-isolation
          -P ${CMAKE_CURRENT_LIST_DIR}/check-core-isolation.cmake)

# The lens-design host's entry points (Windows build): the same table, the
# rays sent through UserDiffraction2D and through UserDefinedSurface5 (whose
# data folder trace-rays sets in the Wine prefix's registry first).
# The host's own interpolation switch, not the file's, rules its entry points.
if(WIN32)
  quelbrant_trace_rays_test(trace_rays_entry_diffraction2d
    "--entry|diffraction2d|--file|${PROJECT_SOURCE_DIR}/data/grating-1d.json|--theta|33|--rays|20000|--threads|4|--check|5"
    0 "entry: UserDiffraction2D|check passed|rays per second|every order shows 1"
    "polarization_interpolate_over_theta_ux_kx|false")
  quelbrant_trace_rays_test(trace_rays_entry_user_surface
    "--entry|user-surface|--data-root|${CMAKE_BINARY_DIR}/lens-design-data|--file|${PROJECT_SOURCE_DIR}/data/grating-1d.json|--rays|20000|--threads|4|--check|5"
    0 "entry: UserDefinedSurface5|reflected   \\(1, 0\\)|check passed|rays per second|every order shows 1")
endif()
