#include "host/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qhost {

namespace {

constexpr int kProgressWidth = 40;
// libsndfile's name for standard output.
const char* const kStandardOutput = "-";

class CProgressBar {
public:
    explicit CProgressBar(bool enabled) : m_enabled(enabled), m_tty(isatty(STDERR_FILENO)) {}
    // A render stopped halfway leaves the bar's line for the error message.
    ~CProgressBar()
    {
        if (m_tty && m_last >= 0 && m_last < 100)
            std::fputc('\n', stderr);
    }
    void show(double fraction)
    {
        if (!m_enabled)
            return;
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent == m_last || (!m_tty && percent % 10 != 0))
            return;
        m_last = percent;
        const int filled = percent * kProgressWidth / 100;
        std::fprintf(stderr, "%s[%.*s%*s] %3d%%%s", m_tty ? "\r" : "", filled,
                     "########################################", kProgressWidth - filled, "", percent,
                     m_tty ? "" : "\n");
        if (m_tty && percent >= 100)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    bool m_enabled;
    bool m_tty;
    int m_last = -1;
};

// A WAV file is removed again unless the render finishes: a partial file would pass for a render.
// Anything else (a device, "-" for standard output) is left alone.
class CWavWriter {
public:
    CWavWriter(const std::string& path, double rate, bool pcm16) : m_path(path)
    {
        SF_INFO info {};
        info.samplerate = static_cast<int>(rate);
        info.channels = 2;
        // Readers expect float samples in the extensible format chunk (sox warns about the plain one).
        info.format = pcm16 ? SF_FORMAT_WAV | SF_FORMAT_PCM_16 : SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
        m_file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (m_file && pcm16)
            sf_command(m_file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        struct stat written {};
        m_removable = m_file && path != kStandardOutput && lstat(path.c_str(), &written) == 0 &&
                      S_ISREG(written.st_mode);
    }
    ~CWavWriter()
    {
        if (!m_file)
            return;
        sf_close(m_file);
        if (!m_finished && m_removable)
            std::remove(m_path.c_str());
    }
    bool ok() const { return m_file != nullptr; }
    const char* reason() const { return sf_strerror(m_file); }
    bool write(const std::vector<float>& interleaved, sf_count_t frames)
    {
        return sf_writef_float(m_file, interleaved.data(), frames) == frames;
    }
    void finish() { m_finished = true; }

private:
    std::string m_path;
    SNDFILE* m_file = nullptr;
    bool m_removable = false;
    bool m_finished = false;
};

std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g s", seconds);
    return text;
}

} // namespace

bool readFile(const std::string& path, std::vector<uint8_t>& data, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    data.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& data, std::string& error)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool songFits(const CMidiSong& song, const CRenderOptions& options, std::string& error)
{
    if (song.lengthSeconds <= options.maxSongSeconds)
        return true;
    error = "the song lasts " + secondsText(song.lengthSeconds) + ", longer than the limit of " +
            secondsText(options.maxSongSeconds) + " (--max-length SECONDS raises it)";
    return false;
}

CHostState renderHostState(const CMidiSong& song, const CRenderOptions& options)
{
    CHostState state;
    state.sampleRate = options.sampleRate;
    state.blockSize = options.blockSize;
    state.tempo = options.tempo.value_or(song.tempoAt(0.0));
    return state;
}

bool renderSong(CPluginInstance& instance, const CMidiSong& song, const std::string& wavPath,
                const CRenderOptions& options, CRenderResult& result, std::string& error)
{
    CWavWriter wav(wavPath, options.sampleRate, options.pcm16);
    if (!wav.ok()) {
        error = "cannot write " + wavPath + ": " + wav.reason();
        return false;
    }
    const int outputs = std::max(instance.effect()->numOutputs, 0);
    const int32_t block = options.blockSize;
    std::vector<std::vector<float>> buffers(static_cast<size_t>(outputs), std::vector<float>(static_cast<size_t>(block)));
    std::vector<float*> pointers;
    for (auto& b : buffers)
        pointers.push_back(b.data());
    std::vector<float> interleaved(static_cast<size_t>(block) * 2);

    const int64_t total = std::llround((song.lengthSeconds + options.tailSeconds) * options.sampleRate);
    size_t next = 0;
    double sumSquares = 0.0;
    CProgressBar progress(options.progress);
    for (int64_t pos = 0; pos < total; pos += block) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(block, total - pos));
        std::vector<CMidiMessage> messages;
        while (next < song.events.size()) {
            const int64_t at = static_cast<int64_t>(std::llround(song.events[next].seconds * options.sampleRate));
            if (at >= pos + n)
                break;
            messages.push_back({static_cast<int32_t>(std::max<int64_t>(at - pos, 0)), song.events[next].bytes});
            ++next;
        }
        if (!options.tempo)
            instance.state().tempo = song.tempoAt(static_cast<double>(pos) / options.sampleRate);
        if (!messages.empty())
            instance.sendMidi(messages);
        instance.processReplacing(pointers.data(), n);
        for (int32_t i = 0; i < n; ++i) {
            float left = 0.0f, right = 0.0f;
            for (int c = 0; c < outputs; ++c)
                (c % 2 == 0 ? left : right) += buffers[static_cast<size_t>(c)][static_cast<size_t>(i)];
            if (outputs == 1)
                right = left;
            if (!std::isfinite(left) || !std::isfinite(right)) {
                error = "the plug-in produced a non-finite sample (NaN or infinity) at " +
                        secondsText(double(pos + i) / options.sampleRate);
                return false;
            }
            interleaved[2 * static_cast<size_t>(i)] = left;
            interleaved[2 * static_cast<size_t>(i) + 1] = right;
            result.peak = std::max({result.peak, double(std::fabs(left)), double(std::fabs(right))});
            sumSquares += double(left) * left + double(right) * right;
        }
        if (!wav.write(interleaved, n)) {
            error = "cannot write " + wavPath;
            return false;
        }
        progress.show(double(pos + n) / double(total));
    }
    wav.finish();
    result.frames = total;
    result.rms = total > 0 ? std::sqrt(sumSquares / (2.0 * double(total))) : 0.0;
    instance.dispatch(vst::effMainsChanged, 0, 0);
    return true;
}

} // namespace qhost
