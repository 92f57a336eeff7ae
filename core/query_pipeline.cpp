#include "core/query_pipeline.h"
