#include "model/format.h"
