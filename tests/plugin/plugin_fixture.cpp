#include "plugin_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace qtest {

CTempFolder::CTempFolder()
{
    char pattern[] = "/tmp/quorvix-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    m_path = made ? made : "/tmp";
}

CTempFolder::~CTempFolder()
{
    if (m_path != "/tmp")
        std::system(("rm -rf '" + m_path + "'").c_str());
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CStderrCapture::CStderrCapture()
{
    char pattern[] = "/tmp/quorvix-stderr-XXXXXX";
    const int fd = mkstemp(pattern);
    m_file = pattern;
    std::fflush(stderr);
    m_saved = dup(STDERR_FILENO);
    dup2(fd, STDERR_FILENO);
    close(fd);
}

CStderrCapture::~CStderrCapture() { text(); }

std::string CStderrCapture::text()
{
    if (!m_done) {
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_done = true;
    }
    const std::vector<uint8_t> bytes = readBytes(m_file);
    std::remove(m_file.c_str());
    return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> settingsRecord(int version, const std::vector<uint8_t>& fields)
{
    std::vector<uint8_t> record = {'Q', 'X', 'S', 'F', static_cast<uint8_t>(version), 0, 0, 0};
    record.insert(record.end(), fields.begin(), fields.end());
    return record;
}

void PluginTest::SetUp()
{
    setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
}

void PluginTest::TearDown()
{
    closePlugin();
    m_library.reset();
}

void PluginTest::writeSettings(const std::vector<uint8_t>& record)
{
    std::system(("mkdir -p '" + m_config.path() + "/Brenwick/Quorvix'").c_str());
    writeBytes(settingsPath(), record);
}

void PluginTest::useEightOutputs(uint8_t bankSelector)
{
    // counter 0, mono off, knob on, oversampling 1, auto store on, flag on, the bank, skin "Bones"
    writeSettings(settingsRecord(
        4, {0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, bankSelector, 0, 0, 0, 'B', 'o', 'n', 'e', 's', 0}));
}

void PluginTest::startOnInitBank()
{
    writeSettings(settingsRecord(
        4, {0, 0, 0, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, kRandomPresetsSelector, 0, 0, 0, 'B', 'o', 'n', 'e', 's', 0}));
}

std::unique_ptr<qhost::CPluginInstance> PluginTest::createInstance(const qhost::CHostState& state)
{
    std::string error;
    if (!m_library)
        m_library = qhost::CPluginLibrary::open(m_pluginPath, error);
    if (!m_library) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    return qhost::CPluginInstance::create(*m_library, state, error);
}

qhost::CPluginInstance& PluginTest::plugin()
{
    if (!m_instance) {
        m_instance = createInstance();
        if (!m_instance)
            throw std::runtime_error("no plug-in instance");
        m_instance->start();
    }
    return *m_instance;
}

void PluginTest::closePlugin() { m_instance.reset(); }

} // namespace qtest
