cmake_minimum_required(VERSION 3.25)
# The core compiles with its own include directories only: a core file that
# includes a plug-in header must fail to compile.
#   cmake -DCOMPILER=<c++> -DINCLUDES=<dir;dir...> -DWORK=<dir> -P check-core-isolation.cmake
set(flags "")
foreach(dir ${INCLUDES})
  list(APPEND flags "-I${dir}")
endforeach()
file(MAKE_DIRECTORY ${WORK})

function(compileOne header outcome)
  set(source ${WORK}/core-isolation-probe.cpp)
  file(WRITE ${source} "#include \"${header}\"\n")
  execute_process(COMMAND ${COMPILER} -std=c++17 -fsyntax-only ${flags} ${source}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${outcome} ${status} PARENT_SCOPE)
  set(compilerOutput "${out}" PARENT_SCOPE)
endfunction()

# A core header compiles with these directories (the check itself works).
compileOne(MathConstants.h status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a core header does not compile with the core's include directories:\n${compilerOutput}")
endif()
foreach(header orvik-plugin-exports.h ExportGuards.h dirtyGratingWrapper.h orvik-plugin/orvik-plugin-exports.h
               orvik-plugin-GPU/dirtyGratingWrapper.h)
  compileOne(${header} status)
  if(status EQUAL 0)
    message(FATAL_ERROR "the core can include the plug-in header ${header}")
  endif()
  if(NOT compilerOutput MATCHES "No such file")
    message(FATAL_ERROR "including ${header} failed for another reason than a missing file:\n${compilerOutput}")
  endif()
endforeach()
message(STATUS "the core sees no plug-in header")
