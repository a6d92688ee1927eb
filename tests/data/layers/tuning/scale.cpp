// Tunings draw nothing.
#include <cairo.h>
#include "../dsp/oscillator.h"
