#include "core/day_texts.h"
