# In the Windows cross build, the test programs run under Wine through a
# small wrapper script (see wine-run.in) instead of bare Wine, so that they
# run headless, quietly and in a Wine prefix that belongs to the build
# directory.
if(WIN32 AND CMAKE_CROSSCOMPILING AND QUELBRANT_WINE)
  set(QUELBRANT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
    @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
elseif(WIN32 AND CMAKE_CROSSCOMPILING)
  message(WARNING "Wine not found: the Windows tests cannot run here (scripts/install-deps installs it)")
endif()
