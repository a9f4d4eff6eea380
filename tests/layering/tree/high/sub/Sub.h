#pragma once
#include "generated.h"
#include "high/High.h"
#include "low/Low.h"
#include <vector>
