// The users and groups the harness publishes to the plug-in, read from a text
// file of lines (blank lines and lines starting with '#' are skipped):
//
//   user NAME [DESCRIPTION...]
//   group NAME [DESCRIPTION...]
//   member GROUP NAME        NAME is a user or a group (groups may nest)
//
// The records keep the host's layout and stay valid as long as the directory.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/host_interfaces.h"

namespace avex::host {

class UserDirectory {
 public:
  // False with `error` set when the file cannot be read or a line is wrong.
  bool Load(const std::string& path, std::string* error);

  // What SetUserDatabase receives: every user and group, in file order.
  const HostUserDatabase& Database() const { return database_; }

 private:
  struct Entry {
    std::string name;
    std::string description;
    std::vector<HostUserRecord*> members;
    HostUserRecord record{};
  };
  Entry* Find(const std::string& name);

  std::deque<Entry> entries_;
  std::vector<HostUserRecord*> records_;
  HostUserDatabase database_{0, nullptr};
};

}  // namespace avex::host
