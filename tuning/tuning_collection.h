// A multiple-scale file: TUN datasets one after another, each serving the MIDI channels of its
// [Assignment]. A single TUN file is a collection of one.
#pragma once

#include "tuning/error_text.h"
#include "tuning/tuning_dataset.h"

#include <istream>
#include <ostream>
#include <vector>

namespace quorvix {

class CTuningCollection {
public:
    // Datasets until the data end: the number read by this call, or -1 on an error (the datasets
    // read before it stay).
    int read(std::istream& in, CLineReader& lines);
    bool write(std::ostream& out, int lowest, int highest);

    std::vector<CTuningDataset>& datasets() { return m_datasets; }
    const std::vector<CTuningDataset>& datasets() const { return m_datasets; }
    int count() const { return static_cast<int>(m_datasets.size()); }
    CErrorText& error() { return m_error; }
    const CErrorText& error() const { return m_error; }

private:
    CErrorText m_error;
    std::vector<CTuningDataset> m_datasets;
};

} // namespace quorvix
