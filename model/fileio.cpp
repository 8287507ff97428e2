#include "model/fileio.h"
