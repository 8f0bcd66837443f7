# cmake -P script: writes INPUT as the array sub_wavelength_schema_json (no
# terminating zero) and its length sub_wavelength_schema_json_len into
# OUTPUT. Line ends are embedded as LF, or as CR LF with CRLF=ON (the
# Windows build), whatever the checkout holds.
file(READ ${INPUT} text)
string(REPLACE "\r\n" "\n" text "${text}")
if(CRLF)
  string(REPLACE "\n" "\r\n" text "${text}")
endif()
# Through a file and back as hex: CMake strings cannot be split into bytes.
file(WRITE ${OUTPUT}.txt "${text}")
file(READ ${OUTPUT}.txt hex HEX)
file(REMOVE ${OUTPUT}.txt)
string(LENGTH "${hex}" hexLength)
math(EXPR length "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from grating-surface-schema.json; do not edit.\n#include \"embedded_schema.h\"\n\nnamespace quelbrant {\n\nunsigned char sub_wavelength_schema_json[${length}] = {\n  ${bytes}\n};\nunsigned int sub_wavelength_schema_json_len = ${length};\n\n}  // namespace quelbrant\n")
