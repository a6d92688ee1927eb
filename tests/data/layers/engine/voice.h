#pragma once
#include "dsp/oscillator.h"
#include "presets/program.h"
