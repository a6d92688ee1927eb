#include "dsp/main_filter.h"

#include <emmintrin.h>

#include <algorithm>

namespace quorvix {

namespace {

constexpr int kBandPass = 7;

// The sections of a step of the wavefront that hold a sample: at step t section k filters sample
// t - k of a run of n.
struct CActiveSections {
    int first, last;
    CActiveSections(int t, int n, int sections) : first(std::max(0, t - n + 1)), last(std::min(sections - 1, t)) {}
};

// One chain of sections as a wavefront: stage A alone, or A into B with B's input rounded to
// float as a stage's output is.
void runChain(CPoleFilter& a, CPoleFilter* b, float* x, int n)
{
    const int stageSections = a.sections();
    const int sections = b ? 2 * stageSections : stageSections;
    std::array<CSecondOrderState<double>*, 2 * kMaxFilterSections> states;
    std::array<const CSectionGains*, 2 * kMaxFilterSections> gains;
    for (int k = 0; k < sections; ++k) {
        CPoleFilter& stage = k < stageSections ? a : *b;
        states[static_cast<size_t>(k)] = &stage.states()[static_cast<size_t>(k % stageSections)];
        gains[static_cast<size_t>(k)] = &stage.gains();
    }
    // pipe[k]: the value waiting at the input of section k
    std::array<double, 2 * kMaxFilterSections + 1> pipe {};
    for (int t = 0; t < n + sections - 1; ++t) {
        if (t < n)
            pipe[0] = x[t];
        const CActiveSections active(t, n, sections);
        for (int k = active.last; k >= active.first; --k) {
            const size_t i = static_cast<size_t>(k);
            pipe[i + 1] = sectionStep(*states[i], *gains[i], pipe[i]);
        }
        if (b)
            pipe[static_cast<size_t>(stageSections)] = static_cast<float>(pipe[static_cast<size_t>(stageSections)]);
        if (t >= sections - 1)
            x[t - sections + 1] = static_cast<float>(pipe[static_cast<size_t>(sections)]);
    }
}

// Stages A and B side by side as the two lanes of one SSE2 register: the same operations in the
// same order as sectionStep, so the result is the same bit for bit.
struct CSectionPair {
    __m128d x1, x2, y1, y2;
};

void runSideBySide(CPoleFilter& a, CPoleFilter& b, float* x, int n)
{
    const int sections = a.sections();
    const CSectionGains& ga = a.gains();
    const CSectionGains& gb = b.gains();
    const __m128d g = _mm_set_pd(gb.g, ga.g);
    const __m128d a1 = _mm_set_pd(gb.a1, ga.a1);
    const __m128d a2 = _mm_set_pd(gb.a2, ga.a2);
    const __m128d high = _mm_castsi128_pd(_mm_set_epi64x(gb.high ? -1 : 0, ga.high ? -1 : 0));
    const __m128d two = _mm_set1_pd(2.0);
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d limit = _mm_set1_pd(kSectionLimit);
    const __m128d sign = _mm_set1_pd(-0.0);
    auto abs = [sign](__m128d v) { return _mm_andnot_pd(sign, v); };

    std::array<CSectionPair, kMaxFilterSections> pairs;
    for (size_t k = 0; k < static_cast<size_t>(sections); ++k) {
        const CSecondOrderState<double>& sa = a.states()[k];
        const CSecondOrderState<double>& sb = b.states()[k];
        pairs[k] = {_mm_set_pd(sb.x1, sa.x1), _mm_set_pd(sb.x2, sa.x2), _mm_set_pd(sb.y1, sa.y1),
                    _mm_set_pd(sb.y2, sa.y2)};
    }
    std::array<__m128d, kMaxFilterSections + 1> pipe {};
    for (int t = 0; t < n + sections - 1; ++t) {
        if (t < n)
            pipe[0] = _mm_set1_pd(x[t]);
        const CActiveSections active(t, n, sections);
        for (int k = active.last; k >= active.first; --k) {
            CSectionPair& s = pairs[static_cast<size_t>(k)];
            const __m128d in = pipe[static_cast<size_t>(k)];
            const __m128d scaled = _mm_mul_pd(in, g);
            __m128d sum = _mm_add_pd(scaled, _mm_mul_pd(two, s.x1));
            sum = _mm_add_pd(sum, s.x2);
            sum = _mm_add_pd(sum, _mm_mul_pd(a1, s.y1));
            sum = _mm_add_pd(sum, _mm_mul_pd(a2, s.y2));
            const __m128d y = _mm_mul_pd(_mm_sub_pd(abs(_mm_add_pd(sum, limit)), abs(_mm_sub_pd(sum, limit))), half);
            s = {scaled, s.x1, y, s.y1};
            pipe[static_cast<size_t>(k) + 1] = _mm_or_pd(_mm_and_pd(high, _mm_sub_pd(in, y)), _mm_andnot_pd(high, y));
        }
        if (t >= sections - 1) {
            const __m128d out = pipe[static_cast<size_t>(sections)];
            x[t - sections + 1] =
                static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(out, out))) + static_cast<float>(_mm_cvtsd_f64(out));
        }
    }
    for (size_t k = 0; k < static_cast<size_t>(sections); ++k) {
        const CSectionPair& p = pairs[k];
        CSecondOrderState<double>& sa = a.states()[k];
        CSecondOrderState<double>& sb = b.states()[k];
        _mm_storel_pd(&sa.x1, p.x1);
        _mm_storeh_pd(&sb.x1, p.x1);
        _mm_storel_pd(&sa.x2, p.x2);
        _mm_storeh_pd(&sb.x2, p.x2);
        _mm_storel_pd(&sa.y1, p.y1);
        _mm_storeh_pd(&sb.y1, p.y1);
        _mm_storel_pd(&sa.y2, p.y2);
        _mm_storeh_pd(&sb.y2, p.y2);
    }
}

} // namespace

CMainFilter::CMainFilter() { setType(0); }

void CMainFilter::setSampleRate(float rate)
{
    m_stageA.setSampleRate(rate);
    m_stageB.setSampleRate(rate);
}

void CMainFilter::setType(int type)
{
    m_stageA.setTypeAsStageA(type);
    m_stageB.setTypeAsStageB(type);
    // The double types (Butterworth low and high) and the notch add stage B; the band-pass chains it.
    switch (type) {
    case 2:
    case 5:
    case 8:
        m_combination = ECombination::SideBySide;
        break;
    case kBandPass:
        m_combination = ECombination::Series;
        break;
    default:
        m_combination = ECombination::StageA;
        break;
    }
}

void CMainFilter::setSections(int sections)
{
    m_stageA.setSections(sections);
    m_stageB.setSections(sections);
}

void CMainFilter::setParameter(float p)
{
    m_stageA.setParameter(stageAParameter(p));
    m_stageB.setParameter(p);
}

void CMainFilter::setFrequency(double hz)
{
    m_stageA.setFrequency(hz);
    m_stageB.setFrequency(hz);
}

void CMainFilter::clear()
{
    m_stageA.clear();
    m_stageB.clear();
}

void CMainFilter::run(float* x, int n)
{
    switch (m_combination) {
    case ECombination::SideBySide:
        return runSideBySide(m_stageA, m_stageB, x, n);
    case ECombination::Series:
        return runChain(m_stageA, &m_stageB, x, n);
    case ECombination::StageA:
        if (m_stageA.active())
            runChain(m_stageA, nullptr, x, n);
        return;
    }
}

void CMainFilter::runReference(float* x, int n)
{
    switch (m_combination) {
    case ECombination::SideBySide:
        for (int i = 0; i < n; ++i)
            x[i] = m_stageB.tick(x[i]) + m_stageA.tick(x[i]);
        return;
    case ECombination::Series:
        for (int i = 0; i < n; ++i)
            x[i] = m_stageB.tick(m_stageA.tick(x[i]));
        return;
    case ECombination::StageA:
        for (int i = 0; i < n; ++i)
            x[i] = m_stageA.tick(x[i]);
        return;
    }
}

} // namespace quorvix
