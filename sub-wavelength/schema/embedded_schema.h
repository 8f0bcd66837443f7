#pragma once

namespace quelbrant {

// The grating file schema, embedded at build time (no terminating zero).
extern unsigned char sub_wavelength_schema_json[];
extern unsigned int sub_wavelength_schema_json_len;

}  // namespace quelbrant
