cmake_minimum_required(VERSION 3.25)
# Checks the export table of the built plug-in library.
#   cmake -DFORMAT=elf|pe -DTOOL=<nm or objdump> -DLIBRARY=<path> -P check-exports.cmake
# ELF: `nm -D --defined-only` must list exactly the plug-in interface.
# PE: `objdump -p` must list exactly the plug-in interface and the three
# lens-design entries, the fourteen numbered in the byte order of their names
# (upper case before lower case).

set(ordinals
  BSDF_V2=1 DataUpdate_V2=2 GetErrorDescription=3 GetPluginDescription=4 GetPluginGUID=5
  GetPluginType=6 Interaction_V2=7 LoadFile=8 LoadFiles=9 Release=10
  UserDefinedSurface5=11 UserDiffraction2D=12 UserParamNames2D=13 gpuWrapGratingSurface=14)
set(required
  BSDF_V2 DataUpdate_V2 GetErrorDescription GetPluginDescription GetPluginGUID GetPluginType
  Interaction_V2 LoadFile LoadFiles Release gpuWrapGratingSurface)
set(lensDesignEntries UserDefinedSurface5 UserDiffraction2D UserParamNames2D)

if(NOT EXISTS "${LIBRARY}")
  message(FATAL_ERROR "no library at ${LIBRARY}")
endif()

set(found "")
if(FORMAT STREQUAL "elf")
  execute_process(COMMAND ${TOOL} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed (${status})")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ @]+)")
      list(APPEND found ${CMAKE_MATCH_1})
    elseif(NOT line STREQUAL "")
      message(FATAL_ERROR "unexpected line from ${TOOL}: ${line}")
    endif()
  endforeach()
  set(allowed ${required})
elseif(FORMAT STREQUAL "pe")
  execute_process(COMMAND ${TOOL} -p ${LIBRARY}
    OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed (${status})")
  endif()
  if(NOT listing MATCHES "Ordinal Base ([0-9]+)")
    message(FATAL_ERROR "the DLL has no export table")
  endif()
  set(base ${CMAKE_MATCH_1})
  string(REPLACE "\n" ";" lines "${listing}")
  set(inNameTable FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "Ordinal/Name Pointer\\] Table")
      set(inNameTable TRUE)
    elseif(inNameTable AND line MATCHES "^[ \t]*\\[ *([0-9]+)\\] (.+)$")
      set(name ${CMAKE_MATCH_2})
      math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
      list(APPEND found ${name})
      set(expected "")
      foreach(entry IN LISTS ordinals)
        if(entry MATCHES "^${name}=([0-9]+)$")
          set(expected ${CMAKE_MATCH_1})
        endif()
      endforeach()
      if(expected AND NOT ordinal EQUAL expected)
        message(FATAL_ERROR "${name} has ordinal ${ordinal}, expected ${expected}")
      endif()
    elseif(inNameTable AND line STREQUAL "")
      set(inNameTable FALSE)
    endif()
  endforeach()
  # The DLL also serves the lens-design host.
  list(APPEND required ${lensDesignEntries})
  set(allowed ${required})
else()
  message(FATAL_ERROR "FORMAT must be elf or pe")
endif()

foreach(name IN LISTS required)
  if(NOT name IN_LIST found)
    message(FATAL_ERROR "${name} is not exported")
  endif()
endforeach()
foreach(name IN LISTS found)
  if(NOT name IN_LIST allowed)
    message(FATAL_ERROR "${name} is exported but is not part of the plug-in interface")
  endif()
endforeach()
list(LENGTH found count)
list(REMOVE_DUPLICATES found)
list(LENGTH found uniqueCount)
if(NOT count EQUAL uniqueCount)
  message(FATAL_ERROR "a name is exported twice")
endif()
message(STATUS "exports: ${found}")
