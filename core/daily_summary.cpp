#include "core/daily_summary.h"
