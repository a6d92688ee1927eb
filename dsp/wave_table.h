// Generated single-cycle tables: 53 waves of 4000 samples with a guard point at each end,
// read as (value, slope) pairs. One set per process, shared by every instance.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

namespace quorvix {

constexpr int kWaveTableLength = 4000;
constexpr int kWaveTableHalf = 2000;
constexpr int kTableWaveCount = 53;      // ids 0..52; 53 ("Feedback") has no table
constexpr int kFeedbackWave = 53;

struct CWavePair {
    float value;
    float slope; // to the next sample
};

class CWaveTable {
public:
    // Index -1..4000.
    const CWavePair* pairs() const { return m_pairs.data() + 1; }
    float value(int index) const { return m_pairs[static_cast<size_t>(index + 1)].value; }
    float slope(int index) const { return m_pairs[static_cast<size_t>(index + 1)].slope; }
    float firstHalfMean() const { return m_firstHalfMean; }
    float secondHalfMean() const { return m_secondHalfMean; }

    // Builds wave id from its definition.
    void generate(int id);

private:
    void complete(int id);

    std::array<CWavePair, kWaveTableLength + 2> m_pairs {};
    float m_firstHalfMean = 0.0f;
    float m_secondHalfMean = 0.0f;
};

class CWaveTableSet {
public:
    // The first acquisition generates every table on the calling thread; the last release frees them.
    static const CWaveTableSet& acquire();
    static void release();

    // Ids of 53 and more read the silent table 0.
    const CWaveTable& table(int id) const;
    const CWavePair* pairs(int id) const { return table(id).pairs(); }
    float firstHalfMean(int id) const { return table(id).firstHalfMean(); }
    float secondHalfMean(int id) const { return table(id).secondHalfMean(); }

private:
    CWaveTableSet();
    std::array<CWaveTable, kTableWaveCount> m_tables;
};

// Keeps the set acquired for the lifetime of the holder.
class CWaveTableReference {
public:
    CWaveTableReference() : m_set(&CWaveTableSet::acquire()) {}
    ~CWaveTableReference() { CWaveTableSet::release(); }
    CWaveTableReference(const CWaveTableReference&) : m_set(&CWaveTableSet::acquire()) {}
    CWaveTableReference& operator=(const CWaveTableReference&) { return *this; }
    const CWaveTableSet& operator*() const { return *m_set; }
    const CWaveTableSet* operator->() const { return m_set; }

private:
    const CWaveTableSet* m_set;
};

} // namespace quorvix
