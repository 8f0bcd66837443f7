#include "MathConstants.h"

const double pi = 3.141592653589793;
