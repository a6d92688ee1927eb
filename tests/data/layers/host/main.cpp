// The host knows only the binary interface of plugin/.
#include "plugin/vst2abi.h"
  #  include "plugin/synth.h"
#include "host/loader.h"
