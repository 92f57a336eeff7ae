#include "core/encoding.h"
