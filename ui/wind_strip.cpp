#include "ui/wind_strip.h"
