#pragma once
#include "Low.h"
#include "low/Low.h"
