#include "core/numeric_text.h"
