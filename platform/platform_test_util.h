// Helpers shared by the platform contract tests (both targets, no <windows.h>).
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include "platform/modules.h"
#include "platform/trace.h"

namespace avex::platform::test {

inline unsigned ProcessId() {
#if defined(_WIN32)
  return static_cast<unsigned>(_getpid());
#else
  return static_cast<unsigned>(getpid());
#endif
}

inline void SetEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetEnv(const char* name) {
#if defined(_WIN32)
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    SetEnv(name, value);
  }
  ~ScopedEnv() {
    if (had_) {
      SetEnv(name_, old_);
    } else {
      UnsetEnv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// Sends the diagnostic trace of this process's copy of the code to `path`
// (none when empty) for the life of the object, as AVEX_TRACE does for a
// process that sets it before its first text.
class ScopedTraceTarget {
 public:
  explicit ScopedTraceTarget(const std::string& path) : env_(std::in_place, "AVEX_TRACE", path) {
    ReloadTraceTarget();
  }
  ~ScopedTraceTarget() {
    env_.reset();
    ReloadTraceTarget();
  }
  ScopedTraceTarget(const ScopedTraceTarget&) = delete;
  ScopedTraceTarget& operator=(const ScopedTraceTarget&) = delete;

 private:
  std::optional<ScopedEnv> env_;
};

// A fresh path in the temporary folder, unique to this process and `tag`.
inline std::string TempPath(const std::string& tag) {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("avex-platform-test-" + std::to_string(ProcessId()) + "-" + tag);
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
  return path.string();
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  return static_cast<bool>(file);
}

inline bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

// Polls until `path` exists; false after `timeoutMs`.
inline bool WaitForFile(const std::string& path, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!FileExists(path)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A program built into the same folder as this test program.
inline std::string SiblingProgram(const std::string& name) {
  std::string self;
  if (!OwnModuleFileName(&self)) return name;
  std::filesystem::path path = std::filesystem::path(self).parent_path() / name;
#if defined(_WIN32)
  path += ".exe";
#endif
  return path.string();
}

}  // namespace avex::platform::test
