// What a voice asks of its timbre while it renders: the shared shaper curve, the tempo, the
// tuning's bend, the song position, and the commands that reach beyond the voice.
#pragma once

#include "dsp/mod_oscillator.h"
#include "dsp/shaper_table.h"

namespace quorvix {

class CVoice;

class CVoiceContext {
public:
    virtual const CShaperTable& shaperTable() const = 0;
    // The host tempo changed since the last block.
    virtual bool tempoChanged() const = 0;
    virtual float hostBeatsPerSecond() const = 0;
    // The plug-in's oscillator oversampling setting: 0 off, 1 per program, 2 always.
    virtual int oscOversamplingSetting() const = 0;
    // The bend factor towards the destination tuning ("TUN" range) for a key.
    virtual float tuningBendFactor(int key, float bend) const = 0;
    // The timbre's running times at a position in voice samples of the current block.
    virtual CSongPosition songPosition(int position) const = 0;
    // A MIDI program change the voice executes at a position in voice samples.
    virtual void voiceProgramChange(CVoice& voice, int program, int position) = 0;
    // Controllers 5 to 90, value 0..1, for this voice.
    virtual void applyController(int controller, float value, CVoice& voice) = 0;
    virtual void restartFirstKeyClocks(int position) = 0;

protected:
    ~CVoiceContext() = default;
};

} // namespace quorvix
