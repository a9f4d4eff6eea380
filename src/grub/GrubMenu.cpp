#include "GrubMenu.h"
