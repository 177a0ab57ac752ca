#include "plugin/scanning_interface.h"

#include <gtest/gtest.h>

#include "config/settings_store.h"
#include "platform/registry.h"
#include "plugin/plugin_application.h"

namespace avex {
namespace {

// Scanning objects are destroyed through their own operation, as the host does.
struct ObjectDeleter {
  void operator()(ScanningInterface* object) const { object->Destroy(); }
};
using Object = std::unique_ptr<ScanningInterface, ObjectDeleter>;

TEST(ScanningInterfaceTest, AnObjectKeepsTheCategorySettingsOfItsSnapshot) {
  PluginApplication application;
  application.SetApiVersion(2);
  const auto setGambling = [&](CategorySetting setting) {
    application.ChangeConfiguration([&](PluginConfiguration& next) {
      *next.settings.SettingOf(2) = setting;
      next.settings.lists.AppendPartial({"casino", CategoryBlocked});
      return true;
    });
  };
  setGambling({true, 60});
  Object before(new ScanningInterface(application));
  setGambling({false, 10});
  Object after(new ScanningInterface(application));

  EXPECT_EQ(before->Snapshot().SettingOf(2)->level, 60.0f);
  EXPECT_TRUE(before->Snapshot().SettingOf(2)->enabled);
  EXPECT_EQ(after->Snapshot().SettingOf(2)->level, 10.0f);
  EXPECT_FALSE(after->Snapshot().SettingOf(2)->enabled);
  // In the engine process the lists stay with the live settings.
  EXPECT_TRUE(before->Snapshot().lists.partials().empty());
}

TEST(ScanningInterfaceTest, ConsoleObjectsCarryTheirOwnLists) {
  PluginApplication application;
  application.SetApiVersion(2);
  application.Start(1, 1);
  application.ChangeConfiguration([](PluginConfiguration& next) {
    next.settings.lists.AppendPartial({"casino", CategoryBlocked});
    return true;
  });
  Object object(new ScanningInterface(application));
  EXPECT_EQ(object->Snapshot().lists.partials().size(), 1u);
}

TEST(ScanningInterfaceTest, UserDatabaseOfAFirstStartIsSavedAsFiltered) {
  PluginApplication application;
  application.SetApiVersion(2);
  application.ChangeConfiguration([](PluginConfiguration& next) { return next.defaultFilter = true; });
  Object object(new ScanningInterface(application));
  const char* name = "pat";
  HostUserRecord pat{name, "", 0, 0, 0, 0, nullptr};
  HostUserRecord* records[] = {&pat, nullptr};
  const HostUserDatabase users{2, records};
  EXPECT_EQ(object->SetUserDatabase(&users), ResultOk);
  EXPECT_EQ(application.Configuration()->accessRights.Find("pat")->state, 1u);
  EXPECT_FALSE(application.Configuration()->defaultFilter);
  EXPECT_EQ(platform::registry::ReadString(std::string(kSettingsRootKey) + "\\AccessRights\\Recipient0", "Name", ""),
            "pat");
  EXPECT_EQ(object->SetUserDatabase(nullptr), ResultFailed);
  EXPECT_EQ(object->GetLastResult(), ResultFailed);
  platform::registry::DeleteKeyTree(kSettingsRootKey);
}

// The block page of a category without a response is built from an empty
// one, which then joins the live configuration, to travel and be stored
// with the others; the snapshot the page was built from stays as it was.
TEST(ScanningInterfaceTest, ABlockWithoutAResponseAddsAnEmptyOneToTheLiveConfiguration) {
  PluginApplication application;
  application.SetApiVersion(2);
  application.ChangeConfiguration([](PluginConfiguration& next) {
    next.responses.Clear();
    next.settings.lists.AppendPartial({"casino", CategoryBlocked});
    return true;
  });
  const ConfigurationSnapshot before = application.Configuration();
  Object object(new ScanningInterface(application));
  ASSERT_EQ(object->SetSource("http://casino.example/", "text/html", 0, "pat"), ResultReject);
  uint32_t size = 0;
  EXPECT_EQ(object->GetResponse(1, nullptr, &size), ResultOk);
  EXPECT_GT(size, 0u);

  const ConfigurationSnapshot after = application.Configuration();
  ASSERT_NE(after->responses.Find(CategoryBlocked), nullptr);
  EXPECT_EQ(after->responses.Find(CategoryBlocked)->Description(), "");
  EXPECT_EQ(after->responses.size(), 1u);
  EXPECT_TRUE(before->responses.empty());
  EXPECT_EQ(after->settings.lists, before->settings.lists);
}

}  // namespace
}  // namespace avex
