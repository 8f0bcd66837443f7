// This program's replacements of the global allocation functions.

#include "allocation_counter_definitions.h"
