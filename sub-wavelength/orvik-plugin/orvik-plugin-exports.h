#pragma once

// The light-simulation host's BSDF plug-in interface: ten C functions the
// host resolves by name. Failures reach the host as indices into the error
// table; GetErrorDescription turns an index into text. Every string handed
// out is owned by the library and stays valid until it is unloaded.
//
// No exception other than an int error index leaves these functions, and
// only Interaction_V2 throws one (the host expects it there).

#include "HostRecords.h"
#include "plugin_export.h"

extern "C" {

// Identity of the plug-in; each returns 0.
QUELBRANT_EXPORT int GetPluginType(const wchar_t*& pluginType);
QUELBRANT_EXPORT int GetPluginGUID(const wchar_t*& pluginGuid);
QUELBRANT_EXPORT int GetPluginDescription(const wchar_t*& pluginDesc);

// Text of error table entry `error`; the newest entry for any index outside
// the table (so -1 names the most recent failure). Returns 0.
QUELBRANT_EXPORT int GetErrorDescription(const int error, const wchar_t*& description);

// One ray through the surface named by ray->instance, with every order of
// both families allowed. Negative: reflected, positive: transmitted, 0: no
// ray leaves. Failures are thrown as an int error index.
QUELBRANT_EXPORT int Interaction_V2(BsdfPluginInteraction_V2* ray);

// Inert members of the interface: 0.0 / 0, the records are left as they are.
QUELBRANT_EXPORT double BSDF_V2(BsdfPluginBSDF_V2* param);
QUELBRANT_EXPORT int DataUpdate_V2(BsdfPluginData_V2* data);

// Loads one grating file. 0 and a new instance, or an error index (>= 1)
// with `instance` left as it was (-1 only when even the message could not
// be stored).
QUELBRANT_EXPORT int LoadFile(const wchar_t* filename, void*& instance);

// Loading a pair of files is not offered: always -1, nothing read or written.
QUELBRANT_EXPORT int LoadFiles(const wchar_t* filename1, const wchar_t* filename2, void*& instance);

// Destroys an instance from LoadFile and returns 0; a null instance is
// accepted (0). Anything else, a second Release of one instance included, is
// left alone and answered with an error index.
QUELBRANT_EXPORT int Release(void* instance);
}
