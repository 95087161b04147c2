// Compiled as a file of the registry area: the environment layer is above it.
#include "env/Variables.h"
