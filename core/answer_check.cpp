#include "core/answer_check.h"
