// A test fixture that loads the real plug-in library by path, as the host
// does, afresh for every test, so each test starts as a host process would:
// no version given, no start. The settings and vendor keys are cleared
// before and after.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/plugin_library.h"
#include "platform/platform_test_util.h"
#include "platform/registry.h"
#include "tests/test_paths.h"

namespace avex::testing {

inline constexpr char kVendorKey[] = "SOFTWARE\\Orlo Ltd\\Aurivex PlugIn";
inline constexpr char kSettingsKey[] = "Software\\Tarn Software\\Aurivex for Corvane";
inline constexpr char kHostSettingsKey[] = "Software\\Tarn Software\\Corvane\\Data Scanning Plugins\\Settings";

class LoadedPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
#if !defined(_WIN32)
    // The native registry is per process unless it lives in a file; the
    // plug-in's copy of the code and this test then share it.
    registryFile_ = ::testing::TempDir() + "avex_plugin_registry_" +
                    std::to_string(platform::test::ProcessId()) + ".reg";
    std::remove(registryFile_.c_str());
    platform::test::SetEnv("AVEX_REGISTRY", registryFile_);
#endif
    ClearKeys();
  }

  void TearDown() override {
    plugin_.Close();
    ClearKeys();
#if !defined(_WIN32)
    platform::test::UnsetEnv("AVEX_REGISTRY");
    std::remove(registryFile_.c_str());
#endif
  }

  // Loads AVex.dll from `directory` (with its trailing separator).
  void Load(const std::string& directory = ProgramDirectory()) {
    std::string error;
    ASSERT_TRUE(plugin_.Load(directory + "AVex.dll", &error)) << error;
  }

  // The folder of the loaded library, without the trailing separator.
  static std::string PluginDirectory() {
    std::string directory = ProgramDirectory();
    directory.pop_back();
    return directory;
  }

  static void ClearKeys() {
    platform::registry::DeleteKeyTree(kVendorKey);
    platform::registry::DeleteKeyTree(kSettingsKey);
    platform::registry::DeleteKeyTree(kHostSettingsKey);
  }

  host::PluginLibrary plugin_;
  const host::PluginExports& plug_ = plugin_.Exports();
  std::string registryFile_;
};

}  // namespace avex::testing
