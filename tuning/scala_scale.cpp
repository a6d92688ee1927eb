#include "tuning/scala_scale.h"

#include "tuning/line_reader.h"
#include "tuning/tuning_dataset.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace quorvix {

namespace {

constexpr int kKeys = 128;
constexpr int kMaxDegrees = 127;
constexpr int kUnmapped = -1;
constexpr long kMaxMapEntry = 100000;

namespace msg {
const char* const Open = "Error opening the file.";
const char* const Range = "Setting out of range.";
const char* const Premature = "Premature end of file.";
const char* const MappingExtra = "End of file expected, but additional data found.";
const char* const Size = "Scale size not allowed. Must be within [0;127].";
const char* const ScaleExtra = "End of file expected, but further data found.";
const char* const Pitch = "Pitch value expected (cents with a point, or a ratio).";
const char* const Zero = "Division by zero.";
const char* const Negative = "A ratio must be positive.";
const char* const Fewer = "Less tuning entries found than expected.";
const char* const NoData = "No data in file.";
} // namespace msg

// Data lines: comments ("!") and empty lines are skipped.
bool nextData(std::istream& in, CLineReader& lines, std::string& line)
{
    while (lines.next(in, line))
        if (!line.empty() && line[0] != '!')
            return true;
    return false;
}

bool onlyDigits(const std::string& s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; }

long floorDiv(long a, long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

CScalaScale::CScalaScale()
{
    for (int i = 0; i < kKeys; ++i)
        m_degree[static_cast<size_t>(i)] = 100.0 * i;
    for (int k = 0; k < kKeys; ++k)
        m_keyCents[static_cast<size_t>(k)] = 100.0 * k;
    resetMapping();
}

void CScalaScale::resetMapping()
{
    // Without a mapping file: linear, degree 0 on key 60, key 69 at 440 Hz.
    m_mapSize = 0;
    m_firstKey = 0;
    m_lastKey = 127;
    m_middleKey = 60;
    m_referenceKey = 69;
    m_referenceFrequency = 440.0;
    m_octaveDegree = 0;
    for (int i = 0; i < kKeys; ++i)
        m_map[static_cast<size_t>(i)] = i;
}

bool CScalaScale::fail(const char* message)
{
    m_error.setError(message, m_line);
    return false;
}

bool CScalaScale::readKeyboardMapping(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        m_error.setError(msg::Open);
        return false;
    }
    m_mappingName = fileNameOf(path);
    resetMapping();
    CLineReader lines;
    std::string line;
    auto header = [&]() {
        const bool read = nextData(in, lines, line);
        m_line = lines.line();
        return read;
    };
    if (!header())
        return fail(msg::Premature);
    m_mapSize = static_cast<int>(std::clamp(std::atol(line.c_str()), 0L, 127L));
    if (!header())
        return fail(msg::Premature);
    m_firstKey = static_cast<int>(std::clamp(std::atol(line.c_str()), 0L, 127L));
    if (!header())
        return fail(msg::Premature);
    m_lastKey = static_cast<int>(std::clamp(std::atol(line.c_str()), 0L, 127L));
    if (m_lastKey < m_firstKey)
        return fail(msg::Range);
    if (!header())
        return fail(msg::Premature);
    m_middleKey = static_cast<int>(std::clamp(std::atol(line.c_str()), 0L, 127L));
    if (!header())
        return fail(msg::Premature);
    m_referenceKey = static_cast<int>(std::clamp(std::atol(line.c_str()), 0L, 127L));
    if (!header())
        return fail(msg::Premature);
    const double hz = std::atof(line.c_str());
    m_referenceFrequency = std::isfinite(hz) ? std::clamp(hz, 0.001, 100000.0) : 440.0;
    if (!header())
        return fail(msg::Premature);
    m_octaveDegree = static_cast<int>(std::clamp(std::atol(line.c_str()), 0L, 127L));
    for (int i = 0; i < m_mapSize; ++i) {
        if (!header()) {
            std::fill(m_map.begin() + i, m_map.begin() + m_mapSize, kUnmapped);
            return true;
        }
        m_map[static_cast<size_t>(i)] = line[0] == 'x' || line[0] == 'X'
                                            ? kUnmapped
                                            : static_cast<int>(std::clamp(std::atol(line.c_str()), -kMaxMapEntry, kMaxMapEntry));
    }
    if (header())
        return fail(msg::MappingExtra);
    return true;
}

bool CScalaScale::readScale(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        m_error.setError(msg::Open);
        return false;
    }
    m_name = fileNameOf(path);
    m_count = -1;
    for (int k = 0; k < kKeys; ++k)
        m_keyCents[static_cast<size_t>(k)] = 100.0 * k;
    CLineReader lines;
    std::string line;
    int degrees = 0;
    bool first = true;
    while (nextData(in, lines, line)) {
        m_line = lines.line();
        if (first && !onlyDigits(line)) {
            first = false;
            m_name = line;
            continue;
        }
        first = false;
        if (m_count < 0) {
            const long count = std::atol(line.c_str());
            if (count < 0 || count > kMaxDegrees)
                return fail(msg::Size);
            m_count = static_cast<int>(count);
            m_degree[0] = 0.0;
            continue;
        }
        if (degrees >= m_count)
            return fail(msg::ScaleExtra);
        const size_t marker = line.find_first_not_of("+-0123456789");
        double cents = 0.0;
        if (marker != std::string::npos && line[marker] == '.') {
            cents = std::atof(line.c_str());
        } else {
            // A ratio a/b; a bare integer n is n/1. What follows the value is a comment.
            const char* p = line.c_str();
            char* end = nullptr;
            const double a = std::strtod(p, &end);
            if (end == p)
                return fail(msg::Pitch);
            p = end;
            while (*p == ' ' || *p == '\t')
                ++p;
            double b = 1.0;
            if (*p == '/') {
                ++p;
                b = std::strtod(p, &end);
                if (end == p)
                    return fail(msg::Pitch);
                if (b == 0.0)
                    return fail(msg::Zero);
            }
            if (!(a / b > 0.0) || !std::isfinite(a / b))
                return fail(msg::Negative);
            cents = 1200.0 * std::log2(a / b);
        }
        if (!std::isfinite(cents))
            return fail(msg::Pitch);
        m_degree[static_cast<size_t>(++degrees)] = cents;
    }
    if (m_count < 0)
        return fail(msg::NoData);
    if (degrees < m_count)
        return fail(msg::Fewer);
    return true;
}

double CScalaScale::extendedDegree(long index) const
{
    if (m_count <= 0)
        return 0.0;
    const long periods = floorDiv(index, m_count);
    const long rest = index - periods * m_count;
    return static_cast<double>(periods) * m_degree[static_cast<size_t>(m_count)] + m_degree[static_cast<size_t>(rest)];
}

void CScalaScale::computeKeyCents()
{
    const int count = std::max(m_count, 0);
    const long octave = m_octaveDegree > 0 ? m_octaveDegree : count;
    for (int k = 0; k < kKeys; ++k) {
        double& cents = m_keyCents[static_cast<size_t>(k)];
        cents = 100.0 * k;
        if (k < m_firstKey || k > m_lastKey)
            continue;
        const long d = k - m_middleKey;
        long index = d;
        if (m_mapSize > 0) {
            const long q = floorDiv(d, m_mapSize);
            const int entry = m_map[static_cast<size_t>(d - q * m_mapSize)];
            if (entry == kUnmapped)
                continue;
            index = entry + q * octave;
        }
        cents = 100.0 * m_middleKey + extendedDegree(index);
    }
}

void CScalaScale::toDataset(CTuningDataset& dataset)
{
    computeKeyCents();
    dataset.reset();
    dataset.name = m_name;
    dataset.setInitEqual(m_referenceKey, m_referenceFrequency);
    const double reference = m_keyCents[static_cast<size_t>(m_referenceKey)];
    for (int k = 0; k < kKeys; ++k) {
        if (k == m_referenceKey)
            continue;
        CFormulaEntry e;
        e.note = k;
        e.reference.kind = 1;
        e.reference.index = m_referenceKey;
        e.cents = m_keyCents[static_cast<size_t>(k)] - reference;
        dataset.addFormula(e);
    }
}

} // namespace quorvix
