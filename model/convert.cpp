#include "model/convert.h"
