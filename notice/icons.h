// The notice program's icons, drawn with cairo: the product logo and the two flags.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace quorvix::notice {

// A new reference; the caller releases it.
GdkPixbuf* logoIcon(int size);
GdkPixbuf* britishFlagIcon();
GdkPixbuf* germanFlagIcon();

} // namespace quorvix::notice
