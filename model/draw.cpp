#include "model/draw.h"
