#include "json/json_document.h"
