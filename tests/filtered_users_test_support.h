// A fixture for the tests of who is filtered: the real plug-in started as the
// engine process (without an engine) on stored settings that filter only
// chosen users and groups, with one scanning object to ask.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/loaded_plugin.h"

namespace avex::testing {

class FilteredUsersTest : public LoadedPluginTest {
 protected:
  // Stored settings (so the published names default to unfiltered), filtering
  // for chosen users and groups only: these names, spelled as given.
  void StartWithFiltered(const std::vector<std::string>& filtered) {
    namespace registry = platform::registry;
    const std::string rights = std::string(kSettingsKey) + "\\AccessRights";
    registry::WriteDword(kSettingsKey, "RegVersion", 3);
    registry::WriteDword(rights, "Apply to all users", 0);
    for (size_t i = 0; i < filtered.size(); ++i) {
      const std::string recipient = rights + "\\Recipient" + std::to_string(i);
      registry::WriteString(recipient, "Name", filtered[i].c_str());
      registry::WriteDword(recipient, "State", 1);
    }
    Load();
    plug_.PlugApiVersion(2);
    ASSERT_EQ(plug_.PlugStart(1, 0), 1);  // no engine: a filtered user's request asks for its data
    object_ = plug_.PlugFabricateInterface();
    ASSERT_NE(object_, nullptr);
  }

  void TearDown() override {
    if (object_ != nullptr) plug_.PlugReleaseInterface(object_);
    if (plugin_.Loaded()) {
      EXPECT_EQ(plug_.PlugStop(), 1);
    }
    LoadedPluginTest::TearDown();
  }

  void* object_ = nullptr;
};

}  // namespace avex::testing
