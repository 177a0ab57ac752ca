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
  CategorySetting& gambling = *application.Configuration().settings.SettingOf(2);
  gambling = {true, 60};
  application.Configuration().settings.lists.AppendPartial({"casino", CategoryBlocked});

  Object before(new ScanningInterface(application));
  gambling = {false, 10};
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
  application.Configuration().settings.lists.AppendPartial({"casino", CategoryBlocked});
  Object object(new ScanningInterface(application));
  EXPECT_EQ(object->Snapshot().lists.partials().size(), 1u);
}

TEST(ScanningInterfaceTest, UserDatabaseOfAFirstStartIsSavedAsFiltered) {
  PluginApplication application;
  application.SetApiVersion(2);
  application.Configuration().defaultFilter = true;
  Object object(new ScanningInterface(application));
  const char* name = "pat";
  HostUserRecord pat{name, "", 0, 0, 0, 0, nullptr};
  HostUserRecord* records[] = {&pat, nullptr};
  const HostUserDatabase users{2, records};
  EXPECT_EQ(object->SetUserDatabase(&users), ResultOk);
  EXPECT_EQ(application.Configuration().accessRights.Find("pat")->state, 1u);
  EXPECT_FALSE(application.Configuration().defaultFilter);
  EXPECT_EQ(platform::registry::ReadString(std::string(kSettingsRootKey) + "\\AccessRights\\Recipient0", "Name", ""),
            "pat");
  EXPECT_EQ(object->SetUserDatabase(nullptr), ResultFailed);
  EXPECT_EQ(object->GetLastResult(), ResultFailed);
  platform::registry::DeleteKeyTree(kSettingsRootKey);
}

}  // namespace
}  // namespace avex
