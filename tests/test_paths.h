// Where tests find the files the build puts beside them.
#pragma once

#include <string>

#include "platform/modules.h"

namespace avex::testing {

// The folder of the running test program, with its trailing separator.
inline std::string ProgramDirectory() {
  std::string self;
  if (!platform::OwnModuleFileName(&self)) return std::string();
  return self.substr(0, self.find_last_of("\\/") + 1);
}

// A registry or data fixture copied from tests/fixtures into the build.
inline std::string FixturePath(const std::string& name) {
  return ProgramDirectory() + "fixtures" + (ProgramDirectory().find('\\') != std::string::npos ? "\\" : "/") + name;
}

}  // namespace avex::testing
