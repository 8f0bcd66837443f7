#pragma once

// The records the light-simulation host exchanges with the plug-in. The core
// reads and writes them, so it owns their definition; this is the name the
// host and the plug-in include them by.

#include "HostRecords.h"
