# Sanitizer builds apply to every target, library and tests alike, so that
# instrumented and uninstrumented code never mix.
if(QUELBRANT_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QUELBRANT_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT QUELBRANT_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUELBRANT_SANITIZE must be empty, 'address' or 'thread'")
endif()
