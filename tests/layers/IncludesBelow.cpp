// Compiled as a file of the registry area: its own headers and the core's are in reach.
#include "core/Format.h"
#include "sys/registry/Registry.h"
