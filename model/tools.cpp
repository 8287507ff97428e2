#include "model/tools.h"
