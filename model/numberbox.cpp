#include "model/numberbox.h"
