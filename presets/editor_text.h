// The editor's value texts: what a knob field shows for a normalized value, and what typed
// text means. Plain functions, so the editor only calls them.
#pragma once

#include <string>

namespace quorvix {

// What "#" in typed text stands for: the last note that was played anywhere in the process.
struct CLastNote {
    int key = 60;
    double frequency = 261.6255653005986;
};

// The formatters of the effect knobs, chosen by the effect type.
enum class EEffectKnobText {
    Milliseconds500,  // "%03d ms" of 0..500
    Milliseconds2000, // "%04dms" of 0..2000
    HertzLow,         // 100..1000 Hz
    HertzMid,         // 100..5000 Hz
    HertzHigh,        // 2000..5000 Hz
    DecibelWet,       // -48..0 dB
    DecibelBand,      // the band amounts, 0..22 dB
    ThirtySeconds,    // 0..4 beats in 1/32
    Sixteenths,       // 0..8 beats in 1/16
    Milliseconds25,   // "%02.1f ms" of 0..25
    Milliseconds10,   // "%02.1f ms" of 0..10
};

// False when the parameter has no formatter of its own (the editor then shows the host text).
bool hasEditorText(int number);
std::string editorText(int number, float value);
// Reads typed text for the parameter; false, with value untouched, when the text means nothing.
bool parseEditorText(int number, const std::string& text, const CLastNote& lastNote, double sampleRate,
                     float& value);

std::string effectKnobText(EEffectKnobText format, float value);

// The fine detune's beat range: a period of 1..256 sixteenths of a beat, and back.
float beatDetuneValue(int sixteenths);
int beatDetuneSixteenths(float value);
// A booster band's amount shown as the boost it adds to the dry signal, in dB, and back.
double bandBoostDecibels(float value);
float bandBoostValue(double decibels);
// The wet level of the mix knob (the booster's volume) in dB, and back; 0 is -oo.
double wetDecibels(float value);
float wetValue(double decibels);
bool parseEffectKnobText(EEffectKnobText format, const std::string& text, const CLastNote& lastNote, float& value);

// "C 3" for key 60: a letter of "CCDDEFFGGAAH", a sign of " # #  # # #", the octave key / 12 - 2.
std::string noteName(int key);

} // namespace quorvix
