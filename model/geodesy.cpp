#include "model/geodesy.h"
