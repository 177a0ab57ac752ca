#include "host/user_directory.h"

#include <fstream>
#include <sstream>

namespace avex::host {

UserDirectory::Entry* UserDirectory::Find(const std::string& name) {
  for (Entry& entry : entries_) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

bool UserDirectory::Load(const std::string& path, std::string* error) {
  std::ifstream file(path);
  if (!file) {
    *error = "cannot read " + path;
    return false;
  }
  std::vector<std::pair<std::string, std::string>> memberships;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string kind, name;
    if (!(words >> kind) || kind[0] == '#') continue;
    if (!(words >> name)) {
      *error = path + ":" + std::to_string(number) + ": a name is missing";
      return false;
    }
    if (kind == "member") {
      std::string member;
      if (!(words >> member)) {
        *error = path + ":" + std::to_string(number) + ": member needs a group and a name";
        return false;
      }
      memberships.emplace_back(name, member);
    } else if (kind == "user" || kind == "group") {
      Entry& entry = entries_.emplace_back();
      entry.name = name;
      std::getline(words >> std::ws, entry.description);
      entry.record.isGroup = kind == "group" ? 1 : 0;
    } else {
      *error = path + ":" + std::to_string(number) + ": unknown line kind '" + kind + "'";
      return false;
    }
  }
  for (const auto& [group, member] : memberships) {
    Entry* owner = Find(group);
    Entry* joined = Find(member);
    if (owner == nullptr || joined == nullptr || owner->record.isGroup == 0) {
      *error = "member " + group + " " + member + ": no such group or name";
      return false;
    }
    owner->members.push_back(&joined->record);
  }
  for (Entry& entry : entries_) {
    entry.record.name = entry.name.c_str();
    entry.record.description = entry.description.c_str();
    entry.record.memberCount = static_cast<uint32_t>(entry.members.size());
    entry.record.members = entry.members.empty() ? nullptr : entry.members.data();
    records_.push_back(&entry.record);
  }
  database_ = HostUserDatabase{static_cast<uint32_t>(records_.size()), records_.data()};
  return true;
}

}  // namespace avex::host
