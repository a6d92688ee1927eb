// Loading tuning files into the timbres' tunings and exporting them, apart from the dialogs.
#pragma once

#include "tuning/tuning.h"

#include <string>
#include <vector>

namespace quorvix {

// The tunings in slot order: slot 2t + 1 (index 2t) is timbre t's main tuning, slot 2t + 2 its
// pitch-bend destination tuning; channel i of a multiple-scale file serves slot i.
using CTuningSlots = std::vector<CTuning*>;

bool isScalaFile(const std::string& path);
// A TUN or multiple-scale file: each slot takes the first dataset assigned to its channel; the
// datasets read before an error are given out too. Returns the error text, empty on success.
std::string loadTuningCollection(const std::string& path, const CTuningSlots& slots);
// A Scala scale with a keyboard mapping (an empty path: none) for every slot.
std::string loadScala(const std::string& scale, const std::string& mapping, const CTuningSlots& slots);

enum class EExportFormat { MultipleScales = 1, TunV2, TunV1, TunV0, Midi };
// Writes the slots (a multiple-scale file) or the selected main tuning; returns the failure
// text, empty on success. The tunings' error texts tell what failed.
std::string exportTunings(const std::string& path, EExportFormat format, const CTuningSlots& slots,
                          CTuning& selectedMain);

} // namespace quorvix
