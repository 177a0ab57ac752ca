#include "config/access_rights.h"

#include <atomic>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/code_page.h"

namespace avex {

namespace {

const char* TextOrEmpty(const char* text) { return text ? text : ""; }

std::string Folded(std::string_view name) {
  std::string folded;
  FoldUserName(name, &folded);
  return folded;
}

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

// Whether each folded name is filtered by its own entry or as a direct
// member of a filtered group: one hash look-up answers a request.
struct AccessRights::Index {
  explicit Index(const AccessEntryMap& entries) {
    std::unordered_set<std::string> coveredMembers;
    for (const auto& [name, entry] : entries) {
      if (entry.isGroup == 0 || entry.state == 0) continue;
      for (const std::string& member : entry.members) coveredMembers.insert(Folded(member));
    }
    for (const auto& [name, entry] : entries) {
      std::string folded = Folded(name);
      const bool filtered = entry.state != 0 || coveredMembers.count(folded) != 0;
      filtered_.try_emplace(std::move(folded), filtered);
    }
  }

  bool Filters(const std::string& foldedUserName) const {
    const auto found = filtered_.find(foldedUserName);
    return found != filtered_.end() && found->second;
  }

 private:
  std::unordered_map<std::string, bool> filtered_;
};

void FoldUserName(std::string_view name, std::string* folded) {
  folded->assign(name.data(), name.size());
  platform::LowerInPlace(folded);
}

AccessRights::AccessRights(const AccessRights& other)
    : entries_(other.entries_), index_(std::atomic_load(&other.index_)) {}

AccessRights& AccessRights::operator=(const AccessRights& other) {
  if (this != &other) {
    entries_ = other.entries_;
    index_ = std::atomic_load(&other.index_);
  }
  return *this;
}

AccessRights::AccessRights(AccessRights&& other) noexcept = default;
AccessRights& AccessRights::operator=(AccessRights&& other) noexcept = default;
AccessRights::~AccessRights() = default;

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
  DropIndex();
  return true;
}

void AccessRights::Assign(const std::string& name, uint32_t isGroup, uint32_t state, uint32_t hostFlag,
                          uint32_t hostValue) {
  const auto [at, added] = entries_.try_emplace(name);
  AccessEntry& entry = at->second;
  if (added) entry.name = name;
  entry.isGroup = isGroup;
  entry.state = state;
  entry.hostFlag = hostFlag;
  entry.hostValue = hostValue;
  DropIndex();
}

bool AccessRights::SetState(const std::string& name, uint32_t state) {
  const auto found = entries_.find(name);
  if (found == entries_.end()) return false;
  found->second.state = state;
  DropIndex();
  return true;
}

void AccessRights::TakeMembersOf(AccessRights* previous) {
  for (auto& [name, entry] : entries_) {
    if (entry.isGroup == 0) continue;
    const auto before = previous->entries_.find(name);
    if (before != previous->entries_.end()) entry.members = std::move(before->second.members);
  }
  DropIndex();
  previous->DropIndex();
}

const AccessEntry* AccessRights::Find(const std::string& name) const {
  const auto found = entries_.find(name);
  return found == entries_.end() ? nullptr : &found->second;
}

void AccessRights::Empty() {
  entries_.clear();
  DropIndex();
}

std::optional<AccessRights> AccessRights::Published(uint32_t count, HostUserRecord* const* records) {
  if (records == nullptr && count != 0) return std::nullopt;
  AccessRights published;
  std::unordered_set<std::string> foldedNames;
  for (uint32_t i = 0; i < count; ++i) {
    const HostUserRecord* record = records[i];
    if (record == nullptr || record->name == nullptr) continue;
    if (!foldedNames.insert(Folded(record->name)).second) continue;
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
  DropIndex();
  refreshed->DropIndex();
}

bool AccessRights::RefreshUsers(uint32_t count, HostUserRecord* const* records, bool defaultFilter) {
  std::optional<AccessRights> published = Published(count, records);
  if (!published) return false;
  TakeRefreshed(&*published, defaultFilter);
  return true;
}

void AccessRights::PrepareIndex() const { CurrentIndex(); }

void AccessRights::DropIndex() { std::atomic_store(&index_, std::shared_ptr<const Index>()); }

std::shared_ptr<const AccessRights::Index> AccessRights::CurrentIndex() const {
  std::shared_ptr<const Index> index = std::atomic_load(&index_);
  if (!index) {
    index = std::make_shared<const Index>(entries_);
    std::atomic_store(&index_, index);
  }
  return index;
}

bool IsUserFiltered(const AccessRights& rights, const std::string& foldedUserName, bool applyToAllUsers,
                    bool forceFiltering) {
  if (applyToAllUsers || forceFiltering) return true;
  if (foldedUserName.empty()) return false;
  return rights.CurrentIndex()->Filters(foldedUserName);
}

}  // namespace avex
