# Header-only dependencies come from the Debian packages. They sit in
# /usr/include, which the mingw cross build must never see as a whole (it
# would pick up glibc's headers), so only their own folders are linked into
# a private include directory.
find_package(Threads REQUIRED)

set(QUELBRANT_THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third-party-include)
file(MAKE_DIRECTORY ${QUELBRANT_THIRD_PARTY_INCLUDE})
foreach(dir nlohmann valijson boost)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing: run scripts/install-deps")
  endif()
  if(NOT EXISTS ${QUELBRANT_THIRD_PARTY_INCLUDE}/${dir})
    file(CREATE_LINK /usr/include/${dir} ${QUELBRANT_THIRD_PARTY_INCLUDE}/${dir} SYMBOLIC)
  endif()
endforeach()

add_library(quelbrant_third_party INTERFACE)
# SYSTEM keeps the third-party headers' warnings out of our -Werror builds.
target_include_directories(quelbrant_third_party SYSTEM INTERFACE ${QUELBRANT_THIRD_PARTY_INCLUDE})
target_link_libraries(quelbrant_third_party INTERFACE Threads::Threads)
