# Warnings every target of the project compiles with.
add_library(quelbrant_warnings INTERFACE)
target_compile_options(quelbrant_warnings INTERFACE -Wall -Wextra)
if(QUELBRANT_WERROR)
  target_compile_options(quelbrant_warnings INTERFACE -Werror)
endif()
