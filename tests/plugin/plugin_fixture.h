// Loads Quorvix.so as a host does, with a private settings folder and no display.
#pragma once

#include "host/plugin_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qtest {

// A fresh folder under the system's temporary folder, removed at destruction.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readBytes(const std::string& path);

// Captures what the plug-in writes to standard error (message boxes without a display).
class CStderrCapture {
public:
    CStderrCapture();
    ~CStderrCapture();
    std::string text();

private:
    int m_saved;
    std::string m_file;
    bool m_done = false;
};

// The settings record of the plug-in, version 4 or older, as bytes.
std::vector<uint8_t> settingsRecord(int version, const std::vector<uint8_t>& fields);

// The bank selector of "Random Presets".
constexpr uint8_t kRandomPresetsSelector = 9;

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a settings record that the next instance reads.
    void writeSettings(const std::vector<uint8_t>& record);
    std::string settingsPath() const { return m_config.path() + "/Brenwick/Quorvix/ini"; }
    // The version 4 record with mono timbral mode off, so that all four timbres exist.
    void useEightOutputs(uint8_t bankSelector = 0);
    // Settings as a fresh installation has them but with "Random Presets" saved, which breeds
    // nothing at start: the instance plays the "Init" bank instead of factory bank 0.
    void startOnInitBank();

    std::unique_ptr<qhost::CPluginInstance> createInstance(const qhost::CHostState& state = {});
    qhost::CPluginInstance& plugin();
    void closePlugin();

    std::string m_pluginPath = QUORVIX_PLUGIN_PATH;
    CTempFolder m_config;
    std::unique_ptr<qhost::CPluginLibrary> m_library;
    std::unique_ptr<qhost::CPluginInstance> m_instance;
};

} // namespace qtest
