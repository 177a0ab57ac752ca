// Contract of platform/modules.h, process.h and thread_id.h.
#include "platform/modules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "platform/platform_test_util.h"
#include "platform/process.h"
#include "platform/thread_id.h"

namespace avex::platform {
namespace {

// A system library that every test program has loaded, with one known entry point.
#if defined(_WIN32)
const char* const kSystemLibrary = "kernel32.dll";
const char* const kEntryPoint = "GetTickCount";
#else
const char* const kSystemLibrary = "libc.so.6";
const char* const kEntryPoint = "strlen";
#endif

std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

TEST(ModulesTest, OwnModuleIsThisProgram) {
  std::string path;
  ASSERT_TRUE(OwnModuleFileName(&path));
#if defined(_WIN32)
  EXPECT_EQ(BaseName(path), "platform_test.exe");
#else
  EXPECT_EQ(BaseName(path), "platform_test");
#endif
  EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << path;
  EXPECT_TRUE(test::FileExists(path)) << path;

  std::string byName;
  ASSERT_TRUE(ModuleFileName(Upper(BaseName(path)), &byName));  // without regard to case
  EXPECT_EQ(byName, path);
}

TEST(ModulesTest, UnknownModuleName) {
  std::string path = "unchanged";
  EXPECT_FALSE(ModuleFileName("no_such_module.dll", &path));
  EXPECT_EQ(path, "unchanged");
}

TEST(ModulesTest, MissingLibraryGivesModuleNotFound) {
  uint32_t error = 0;
  const std::string missing = test::TempPath("no_such_library.dll");
  EXPECT_EQ(OpenLibrary(missing, &error), nullptr);
  EXPECT_EQ(error, 126u);  // ERROR_MOD_NOT_FOUND
  error = 0;
  EXPECT_EQ(OpenLibrary("", &error), nullptr);
  EXPECT_NE(error, 0u);
}

TEST(ModulesTest, EntryPointsByNameAndOrdinal) {
  std::string path;
  ASSERT_TRUE(ModuleFileName(kSystemLibrary, &path));
  uint32_t error = 0;
  LibraryHandle library = OpenLibrary(path, &error);
  ASSERT_NE(library, nullptr) << path << " error " << error;
  EXPECT_NE(LibrarySymbol(library, kEntryPoint, &error), nullptr);

  error = 0;
  EXPECT_EQ(LibrarySymbol(library, "NoSuchEntryPoint", &error), nullptr);
  EXPECT_EQ(error, 127u);  // ERROR_PROC_NOT_FOUND
  error = 0;
  EXPECT_EQ(LibraryOrdinal(library, 65535, &error), nullptr);
  EXPECT_EQ(error, 127u);
  error = 0;
  EXPECT_EQ(LibrarySymbol(nullptr, kEntryPoint, &error), nullptr);
  EXPECT_EQ(error, 127u);
  CloseLibrary(library);
  CloseLibrary(nullptr);
}

TEST(ModulesTest, PathsWithEitherSeparatorAndAnyCase) {
  std::string path;
  ASSERT_TRUE(ModuleFileName(kSystemLibrary, &path));
  // Every directory upper-cased, as in a lower- or upper-cased copy of a
  // module path, and with the other separator.
  std::string mangled;
  std::filesystem::path original(path);
  for (char c : original.parent_path().string()) {
    if (c == '/' || c == '\\') {
      mangled.push_back(c == '/' ? '\\' : '/');
    } else {
      mangled.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
    }
  }
  mangled += "/" + original.filename().string();
  uint32_t error = 0;
  LibraryHandle library = OpenLibrary(mangled, &error);
  EXPECT_NE(library, nullptr) << mangled << " error " << error;
  if (library) {
    EXPECT_NE(LibrarySymbol(library, kEntryPoint, &error), nullptr);
    CloseLibrary(library);
  }
}

TEST(ThreadIdTest, DiffersBetweenLiveThreads) {
  uint32_t self = CurrentThreadId();
  EXPECT_NE(self, 0u);
  EXPECT_EQ(CurrentThreadId(), self);
  uint32_t other = 0;
  std::thread([&] { other = CurrentThreadId(); }).join();
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, self);
}

TEST(ChildProcessTest, ExitCodeAndArguments) {
  ChildProcess none;
  EXPECT_EQ(none.Wait(), -1);

  // mutex_holder answers 2 for arguments it cannot use: proves the exit code.
  ChildProcess bad;
  ASSERT_TRUE(bad.Start({test::SiblingProgram("mutex_holder"), "name", "0", "neither", "ready"}));
  EXPECT_EQ(bad.Wait(), 2);
  EXPECT_EQ(bad.Wait(), 2);

  // Arguments with blanks, quotes and backslashes arrive whole.
  const std::string out = test::TempPath("echo out.txt");
  const std::vector<std::string> args = {"plain", "two words", "", "quote \" inside", "back\\slash",
                                         "ends with backslash\\", "\\\"", "tab\there"};
  std::vector<std::string> argv = {test::SiblingProgram("mutex_holder"), "--echo", out};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildProcess echo;
  ASSERT_TRUE(echo.Start(argv));
  EXPECT_EQ(echo.Wait(), 0);
  std::string expected;
  for (const std::string& arg : args) expected += arg + "\n";
  EXPECT_EQ(test::ReadFile(out), expected);
  std::remove(out.c_str());

  ChildProcess missing;
  EXPECT_FALSE(missing.Start({test::TempPath("no_such_program")}));
}

}  // namespace
}  // namespace avex::platform
