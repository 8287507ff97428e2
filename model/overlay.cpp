#include "model/overlay.h"
