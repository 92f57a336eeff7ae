#include "core/day_series.h"
