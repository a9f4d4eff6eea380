#pragma once

// The simulator's keys are those of keys/: its inputs and the --keys list.
#include "keys/KeyWords.h"
#include "keys/LoaderInput.h"
