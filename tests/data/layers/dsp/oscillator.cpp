// dsp knows nothing of voices: line 3 is the forbidden include.
#include "base/bytes.h"
#include "engine/voice.h"
#include <cmath>
