// Measures every program of a factory bank source against the quality bar and prints what each
// program measures and every rule it breaks; works on unfinished banks too, for designing them.
//   quorvix_bank_check SOURCE.qvx
#include "tools/bank_quality.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace quorvix;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: quorvix_bank_check SOURCE.qvx\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    CSourceBank bank;
    std::vector<CSourceError> errors = readPresetSource(text.str(), bank);
    if (!in || !errors.empty()) {
        for (const CSourceError& e : errors)
            std::cerr << errorText(argv[1], e) << "\n";
        return 1;
    }
    for (const CSourceError& e : checkSourceBank(bank))
        std::cout << "note: " << errorText(argv[1], e) << "\n";
    CAudition audition;
    std::vector<CProgramMeasures> measures;
    std::printf("%3s %-24s %-10s %7s %7s %6s %6s %6s %6s %6s %7s\n", "no", "name", "category", "peak", "loud", "half",
                "fall", "hold", "ring", "tail", "centr");
    for (size_t i = 0; i < bank.programs.size(); ++i) {
        measures.push_back(measureProgram(audition, bank.programs[i]));
        const CProgramMeasures& m = measures.back();
        std::printf("%3zu %-24s %-10s %7.1f %7.1f %6.0f %6.1f %6.1f %6.1f %6.2f %7.0f\n", i,
                    bank.programs[i].program.name.c_str(), categoryName(bank.programs[i].category), m.peakDb,
                    m.loudnessDb, 1000.0 * m.halfPeakSeconds, m.fallDb, m.holdDb, m.ringDb, m.silentSeconds,
                    m.centroidHz);
        std::fflush(stdout);
    }
    // The nearest other program by spectrum and by level curve, for telling sounds apart.
    for (size_t i = 0; i < measures.size(); ++i) {
        size_t bySpectrum = i, byEnvelope = i;
        double spectrum = 1e9, envelope = 1e9;
        for (size_t j = 0; j < measures.size(); ++j) {
            if (j == i)
                continue;
            if (spectrumDistance(measures[i], measures[j]) < spectrum)
                spectrum = spectrumDistance(measures[i], measures[j]), bySpectrum = j;
            if (envelopeDistance(measures[i], measures[j]) < envelope)
                envelope = envelopeDistance(measures[i], measures[j]), byEnvelope = j;
        }
        std::printf("%3zu nearest spectrum %3zu (%.1f dB), level curve %3zu (%.1f dB)\n", i, bySpectrum, spectrum,
                    byEnvelope, envelope);
    }
    const std::vector<std::string> failures = bankFailures(bank, measures);
    for (const std::string& f : failures)
        std::cout << f << "\n";
    std::cout << failures.size() << " failures\n";
    return failures.empty() ? 0 : 1;
}
