#include "tuning/tuning_collection.h"

namespace quorvix {

namespace {
const char* const kNl = "\r\n";
const char* const kHeader[] = {";",
                               "; This is an Quorvix multiple scales file",
                               "; (based on Quorvix tuning map file V2.00)",
                               ";",
                               "; Written by the Quorvix VSTi synthesizer",
                               ";",
                               "; Specifications and free source code see:",
                               ";         https://quorvix.org/tun",
                               ";"};
const char* const kRule = ";======================================================================";
} // namespace

int CTuningCollection::read(std::istream& in, CLineReader& lines)
{
    int read = 0;
    for (;;) {
        CTuningDataset dataset;
        const int result = dataset.read(in, lines);
        if (result == 0)
            return read;
        if (result < 0) {
            m_error.setError(dataset.error().text().c_str());
            return -1;
        }
        m_datasets.push_back(std::move(dataset));
        ++read;
    }
}

bool CTuningCollection::write(std::ostream& out, int lowest, int highest)
{
    for (const char* line : kHeader)
        out << line << kNl;
    for (CTuningDataset& d : m_datasets) {
        out << kNl << kNl << kNl;
        for (int i = 0; i < 3; ++i)
            out << kRule << kNl;
        out << kNl;
        if (!d.write(out, lowest, highest)) {
            m_error.setError(d.error().text().c_str());
            return false;
        }
    }
    m_error.setError(nullptr);
    return true;
}

} // namespace quorvix
