# Embeds the grating file schema as a byte array, regenerated whenever the
# JSON file changes. Sets QUELBRANT_SCHEMA_SOURCE to the generated source.
set(QUELBRANT_SCHEMA_JSON ${CMAKE_CURRENT_LIST_DIR}/grating-surface-schema.json)
set(QUELBRANT_SCHEMA_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/generated/grating_surface_schema_embedded.cpp)
set(QUELBRANT_SCHEMA_CRLF OFF)
if(WIN32)
  set(QUELBRANT_SCHEMA_CRLF ON)
endif()
add_custom_command(
  OUTPUT ${QUELBRANT_SCHEMA_SOURCE}
  COMMAND ${CMAKE_COMMAND}
    -DINPUT=${QUELBRANT_SCHEMA_JSON}
    -DOUTPUT=${QUELBRANT_SCHEMA_SOURCE}
    -DCRLF=${QUELBRANT_SCHEMA_CRLF}
    -P ${CMAKE_CURRENT_LIST_DIR}/WriteEmbeddedSchema.cmake
  DEPENDS ${QUELBRANT_SCHEMA_JSON} ${CMAKE_CURRENT_LIST_DIR}/WriteEmbeddedSchema.cmake
  COMMENT "Embedding the grating file schema"
  VERBATIM)
