#pragma once
#include "other/Other.h"
