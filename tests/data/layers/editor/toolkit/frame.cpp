#include <X11/Xlib.h>
#include "platform/tick_count.h"
