#include "core/query_types.h"
