#include "core/classifications.h"
