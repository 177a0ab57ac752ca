#include "config/access_rights.h"

namespace avex {

namespace {

const char* TextOrEmpty(const char* text) { return text ? text : ""; }

// The names of a group's direct members; a member's own members are not
// read, so neither the depth nor a cycle of the host's nesting matters.
std::set<std::string> MemberNames(const HostUserRecord& group) {
  std::set<std::string> names;
  if (group.members == nullptr) return names;
  for (uint32_t i = 0; i < group.memberCount; ++i) {
    const HostUserRecord* member = group.members[i];
    if (member != nullptr && member->name != nullptr) names.insert(member->name);
  }
  return names;
}

}  // namespace

bool AccessRights::Add(const std::string& name, const std::string& description, uint32_t isGroup,
                       uint32_t state, uint32_t hostFlag, uint32_t hostValue) {
  if (entries_.count(name) != 0) return false;
  AccessEntry entry;
  entry.name = name;
  entry.description = description;
  entry.isGroup = isGroup;
  entry.state = state;
  entry.hostFlag = hostFlag;
  entry.hostValue = hostValue;
  entries_.emplace(name, std::move(entry));
  return true;
}

const AccessEntry* AccessRights::Find(const std::string& name) const {
  const auto found = entries_.find(name);
  return found == entries_.end() ? nullptr : &found->second;
}

AccessEntry* AccessRights::Find(const std::string& name) {
  const auto found = entries_.find(name);
  return found == entries_.end() ? nullptr : &found->second;
}

std::optional<AccessRights> AccessRights::Published(uint32_t count, HostUserRecord* const* records) {
  if (records == nullptr && count != 0) return std::nullopt;
  AccessRights published;
  for (uint32_t i = 0; i < count; ++i) {
    const HostUserRecord* record = records[i];
    if (record == nullptr || record->name == nullptr) continue;
    const auto [at, added] = published.entries_.try_emplace(record->name);
    if (!added) continue;
    AccessEntry& entry = at->second;
    entry.name = at->first;
    entry.description = TextOrEmpty(record->description);
    entry.isGroup = record->isGroup;
    entry.hostFlag = record->hostFlag;
    entry.hostValue = record->hostValue;
    entry.members = MemberNames(*record);
  }
  return published;
}

void AccessRights::TakeRefreshed(AccessRights* refreshed, bool defaultFilter) {
  auto known = entries_.cbegin();
  for (auto& [name, entry] : refreshed->entries_) {
    while (known != entries_.cend() && known->first < name) ++known;
    const bool keptFiltered = known != entries_.cend() && known->first == name && known->second.state != 0;
    entry.state = keptFiltered ? known->second.state : (defaultFilter ? 1 : 0);
  }
  entries_.swap(refreshed->entries_);
}

bool AccessRights::RefreshUsers(uint32_t count, HostUserRecord* const* records, bool defaultFilter) {
  std::optional<AccessRights> published = Published(count, records);
  if (!published) return false;
  TakeRefreshed(&*published, defaultFilter);
  return true;
}

bool IsUserFiltered(const AccessRights& rights, const std::string& userName, bool applyToAllUsers,
                    bool forceFiltering) {
  if (applyToAllUsers || forceFiltering) return true;
  if (userName.empty()) return false;
  const AccessEntry* user = rights.Find(userName);
  if (user == nullptr) return false;
  if (user->state != 0) return true;
  for (const auto& [name, entry] : rights.Entries()) {
    if (entry.isGroup != 0 && entry.state != 0 && entry.members.count(userName) != 0) return true;
  }
  return false;
}

}  // namespace avex
