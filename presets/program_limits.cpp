#include "presets/program_limits.h"

#include "presets/parameter_table.h"

namespace quorvix {

namespace {

constexpr int kWeightNumbers[kOscillatorCount] = {32, 40, 48};
constexpr int kEffectNumbers[kEffectUnitCount] = {163, 172};

template <typename T>
void limit(int number, T& value, T fallback)
{
    value = static_cast<T>(limitToParameter(number, static_cast<double>(value), static_cast<double>(fallback)));
}

void limitEffect(int first, CEffectValues& e, const CEffectValues& init)
{
    limit(first + slot::Type, e.type, init.type);
    limit(first + slot::Time1, e.time1, init.time1);
    limit(first + slot::Time2, e.time2, init.time2);
    limit(first + slot::Depth1, e.depth1, init.depth1);
    limit(first + slot::Depth2, e.depth2, init.depth2);
    limit(first + slot::Gain1, e.gain1, init.gain1);
    limit(first + slot::Gain2, e.gain2, init.gain2);
    limit(first + slot::Spread, e.spread, init.spread);
    limit(first + slot::Mix, e.mix, init.mix);
}

} // namespace

// A NaN takes the "Init" program's value. The blocks held as records check their own fields
// when a voice loads them.
void limitProgram(CProgram& p)
{
    const CProgram init;
    for (size_t i = 0; i < kOscillatorCount; ++i)
        limit(kWeightNumbers[i], p.weights[i], init.weights[i]);
    limit(49, p.mix12, init.mix12);
    limit(50, p.mix312, init.mix312);
    limit(52, p.oversampling.mode, init.oversampling.mode);
    limit(186, p.oversampling.octaves, init.oversampling.octaves);

    limit(97, p.shaperTable.shape1, init.shaperTable.shape1);
    limit(96, p.shaperTable.shape2, init.shaperTable.shape2);
    limit(98, p.shaperTable.parameter, init.shaperTable.parameter);
    limit(99, p.shaperTable.smooth, init.shaperTable.smooth);
    limit(100, p.shaper.gain, init.shaper.gain);
    limit(101, p.shaper.position, init.shaper.position);
    limit(104, p.shaper.mix, init.shaper.mix);

    CFilterSettings& f = p.filter;
    limit(105, f.type, init.filter.type);
    limit(106, f.level, init.filter.level);
    limit(107, f.parameter, init.filter.parameter);
    limit(108, f.frequency, init.filter.frequency);
    limit(109, f.resonanceWeight, init.filter.resonanceWeight);
    limit(111, f.resonanceFrequency, f.frequency);
    limit(112, f.resonance, init.filter.resonance);
    limit(113, f.keyMid, init.filter.keyMid);
    limit(114, f.keySlope, init.filter.keySlope);

    CLevelSettings& l = p.level;
    limit(158, l.dynamic, init.level.dynamic);
    limit(159, l.volumeKeyMid, init.level.volumeKeyMid);
    limit(160, l.volumeKeySlope, init.level.volumeKeySlope);
    limit(161, l.mainVolume, init.level.mainVolume);
    limit(162, l.panAngle, init.level.panAngle);
    limit(181, l.pitchBendRange, init.level.pitchBendRange);
    limit(182, l.portamento, init.level.portamento);
    limit(183, p.portamentoSync, init.portamentoSync);
    limit(184, l.dirtyTuning, init.level.dirtyTuning);

    for (size_t u = 0; u < kEffectUnitCount; ++u)
        limitEffect(kEffectNumbers[u], p.effects[u], init.effects[u]);
}

} // namespace quorvix
