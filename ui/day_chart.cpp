#include "ui/day_chart.h"
