#include "config/access_rights.h"

#include <vector>

namespace avex {

namespace {

const char* TextOrEmpty(const char* text) { return text ? text : ""; }

// Fills `target` from host records. `path` holds the records of the groups
// being filled right now, so a cycle in the host's data cannot recurse
// without end.
void FillFromRecords(AccessEntryMap* target, uint32_t count, HostUserRecord* const* records,
                     bool defaultFilter, std::vector<const HostUserRecord*>* path) {
  if (records == nullptr) count = 0;
  AccessEntryMap keptFiltered;
  for (const auto& [name, entry] : *target) {
    if (entry.state == 0) continue;
    AccessEntry copy = entry;
    copy.members.clear();
    keptFiltered.emplace(name, std::move(copy));
  }
  target->clear();

  for (uint32_t i = 0; i < count; ++i) {
    const HostUserRecord* record = records[i];
    if (record == nullptr || record->name == nullptr) continue;
    const std::string name = record->name;
    if (target->count(name) != 0) continue;
    const auto kept = keptFiltered.find(name);
    AccessEntry entry;
    entry.name = name;
    entry.description = TextOrEmpty(record->description);
    entry.isGroup = record->isGroup;
    entry.state = kept != keptFiltered.end() ? kept->second.state : (defaultFilter ? 1 : 0);
    entry.hostFlag = record->hostFlag;
    entry.hostValue = record->hostValue;
    AccessEntry& added = target->emplace(name, std::move(entry)).first->second;

    bool onPath = false;
    for (const HostUserRecord* open : *path) onPath = onPath || open == record;
    if (record->memberCount != 0 && !onPath) {
      path->push_back(record);
      FillFromRecords(&added.members, record->memberCount, record->members, defaultFilter, path);
      path->pop_back();
    }
  }
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

bool AccessRights::RefreshUsers(uint32_t count, HostUserRecord* const* records, bool defaultFilter) {
  if (records == nullptr && count != 0) return false;
  std::vector<const HostUserRecord*> path;
  FillFromRecords(&entries_, count, records, defaultFilter, &path);
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
