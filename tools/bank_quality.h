// The quality bar of the factory banks: what each program is measured by (rendered in-process at
// 44.1 kHz) and the rules it is held to. Shared by the banks test and the bank check tool.
#pragma once

#include "presets/audition.h"
#include "presets/preset_source.h"

#include <string>
#include <vector>

namespace quorvix {

struct CProgramMeasures {
    bool finite = true;       // no NaN or infinity anywhere
    double peakDb = -200.0;   // middle note at velocity 100 (and key 36 for basses), dBFS
    double loudnessDb = -200.0; // the random presets' measurement, mean of notes 48 and 72
    double halfPeakSeconds = 0.0; // from the note-on to half the peak level
    double fallDb = 0.0;      // held level one second after the onset, below the peak
    double holdDb = 0.0;      // held level at the end of the hold, below the peak
    double ringDb = 0.0;      // level 300 ms after the release, below the peak
    double silentSeconds = 0.0; // after the release until the output stays below the silence level
    double centroidHz = 0.0;  // key 36, basses only
    bool synchronised = false; // a tempo-synchronised source or effect is in use
    std::vector<float> bands;    // spectrum of the held middle note, dB below its loudest band
    std::vector<float> envelope; // level of the middle note in 20 ms steps, dB below its peak
};

// The random presets' measurement of a program: the mean loudness of notes 48 and 72, in dB.
double loudnessDb(CAudition& audition, const CProgram& program);
double median(std::vector<double> values);

// Renders what the rules need for the program of its category.
CProgramMeasures measureProgram(CAudition& audition, const CSourceProgram& program);

// The rules a program breaks, each as a short text; levelRange is tighter for the first program of
// bank 0. The bank's loudness rule is checked by loudnessFailures.
std::vector<std::string> programFailures(const CSourceProgram& program, const CProgramMeasures& m, bool firstSound);

// Programs whose loudness lies more than 6 dB from the bank's median, as (index, text).
std::vector<std::pair<size_t, std::string>> loudnessFailures(const std::vector<CProgramMeasures>& bank,
                                                             double& bankMedian);

// Mean differences in dB of two programs' spectra and of their level curves; two programs sound
// alike when neither differs clearly.
double spectrumDistance(const CProgramMeasures& a, const CProgramMeasures& b);
double envelopeDistance(const CProgramMeasures& a, const CProgramMeasures& b);
bool soundAlike(const CProgramMeasures& a, const CProgramMeasures& b);

// Every failure of a bank as "bank S program N "name": rule" lines.
std::vector<std::string> bankFailures(const CSourceBank& bank, const std::vector<CProgramMeasures>& measures);

} // namespace quorvix
