#include "engine/engine_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/code_page.h"
#include "tests/test_paths.h"

namespace avex {
namespace {

TEST(EnginePathsTest, PathsUnderTheEngineDirectory) {
  struct Case {
    UpdateDirectoryForm form;
    const char* update;
  };
  const Case cases[] = {
      {UpdateDirectoryForm::Start, "C:\\P\\\\Stlst\\Update"},
      {UpdateDirectoryForm::Console, "C:\\P\\Stlst\\StatListDb\\Update"},
  };
  for (const Case& c : cases) {
    EnginePaths paths;
    ASSERT_TRUE(BuildEnginePaths("C:\\P\\", c.form, &paths));
    EXPECT_EQ(paths.root, "C:\\P\\");
    EXPECT_EQ(paths.urlCache, "C:\\P\\URLCache");
    EXPECT_EQ(paths.staticList, "C:\\P\\Stlst\\StatListDb");
    EXPECT_EQ(paths.staticListUpdate, c.update);
  }
}

TEST(EnginePathsTest, NoPathLongerThanTheEngineBuffersAllow) {
  // The longest path is the static list database at start ("Stlst\StatListDb",
  // 16 characters after the directory) and its update directory in the
  // console (23 characters after it).
  struct Case {
    UpdateDirectoryForm form;
    size_t directoryLength;
    bool fits;
  };
  const Case cases[] = {
      {UpdateDirectoryForm::Start, 259 - 16, true},   {UpdateDirectoryForm::Start, 260 - 16, false},
      {UpdateDirectoryForm::Console, 259 - 23, true}, {UpdateDirectoryForm::Console, 260 - 23, false},
      {UpdateDirectoryForm::Start, 400, false},
  };
  for (const Case& c : cases) {
    const std::string directory = "C:" + std::string(c.directoryLength - 3, 'd') + "\\";
    ASSERT_EQ(directory.size(), c.directoryLength);
    EnginePaths paths;
    paths.root = "unchanged";
    EXPECT_EQ(BuildEnginePaths(directory, c.form, &paths), c.fits) << c.directoryLength;
    if (c.fits) {
      EXPECT_LE(paths.staticListUpdate.size(), kMaxEnginePathLength);
      EXPECT_LE(paths.staticList.size(), kMaxEnginePathLength);
    } else {
      EXPECT_EQ(paths.root, "unchanged");
    }
  }
}

TEST(EnginePathsTest, EngineDirectoryIsTheLowerCasedModulePathBeforeItsName) {
  struct Case {
    const char* modulePath;
    const char* directory;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Tarn\\AVex.dll", "c:\\program files\\tarn\\"},
      {"C:\\P\\avex.DLL", "c:\\p\\"},
      {"\\\\Server\\Share\\AVEX.dll", "\\\\server\\share\\"},
      // A directory that carries the module's name is kept whole.
      {"D:\\AVex.dll Backup\\AVex.dll", "d:\\avex.dll backup\\"},
      // A path without the name (a short 8.3 form) is used whole.
      {"C:\\PROGRA~1\\AVEX~1.DLL", "c:\\progra~1\\avex~1.dll"},
      {"C:\\Caf\xC9\\AVex.dll", "c:\\caf\xE9\\"},  // folded in the ANSI code page
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EngineDirectoryOf(c.modulePath, "AVex.dll"), c.directory) << c.modulePath;
  }
}

TEST(EnginePathsTest, FindsTheDirectoryOfALoadedModule) {
  std::string self;
  ASSERT_TRUE(platform::OwnModuleFileName(&self));
  const std::string name = self.substr(self.find_last_of("\\/") + 1);
  std::string expected = testing::ProgramDirectory();
  platform::LowerInPlace(&expected);

  std::string directory;
  ASSERT_TRUE(FindEngineDirectory(name, &directory));
  EXPECT_EQ(directory, expected);

  directory = "unchanged";
  EXPECT_FALSE(FindEngineDirectory("no_such_module.dll", &directory));
  EXPECT_EQ(directory, "unchanged");
}

}  // namespace
}  // namespace avex
