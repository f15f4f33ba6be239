#include "pintest/pin_line.h"
