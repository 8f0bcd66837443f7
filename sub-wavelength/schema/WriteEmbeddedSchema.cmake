# cmake -P script: writes INPUT as the array sub_wavelength_schema_json (no
# terminating zero) and its length. CRLF=ON turns LF line ends into CR LF, as
# the Windows build embeds them.
file(READ ${INPUT} text)
if(CRLF)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
endif()
string(LENGTH "${text}" length)
file(WRITE ${OUTPUT}.txt "${text}")
file(READ ${OUTPUT}.txt hex HEX)
file(REMOVE ${OUTPUT}.txt)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
string(LENGTH "${hex}" hexLength)
math(EXPR length "${hexLength} / 2")
file(WRITE ${OUTPUT} "// Generated from grating-surface-schema.json; do not edit.\n#include \"embedded_schema.h\"\n\nunsigned char sub_wavelength_schema_json[${length}] = {\n  ${bytes}\n};\nunsigned int sub_wavelength_schema_json_len = ${length};\n")
