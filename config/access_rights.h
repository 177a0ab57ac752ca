// The access rights: whom the filter applies to.
//
// A map from the name the host published to an entry with a filtered state,
// ascending byte-wise by name. A group keeps the names of its direct members
// only: whether a user is filtered never depends on deeper nesting, so the
// host's nesting (however deep, or cyclic) costs nothing beyond its records.
// Not thread-safe: callers hold the shared-data lock, or work on a copy.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "plugin/host_interfaces.h"

namespace avex {

struct AccessEntry {
  std::string name;
  std::string description;
  uint32_t isGroup = 0;
  uint32_t state = 0;  // 1: filtering is enabled for this user or group
  uint32_t hostFlag = 0;
  uint32_t hostValue = 0;
  // A group's direct members as the host published them; empty for a user.
  std::set<std::string> members;
};

using AccessEntryMap = std::map<std::string, AccessEntry>;

class AccessRights {
 public:
  // Adds a top-level entry; false (and no change) when the name is present.
  bool Add(const std::string& name, const std::string& description, uint32_t isGroup,
           uint32_t state, uint32_t hostFlag, uint32_t hostValue);

  // The top-level entry with exactly this name, or null.
  const AccessEntry* Find(const std::string& name) const;
  AccessEntry* Find(const std::string& name);

  void Empty() { entries_.clear(); }

  const AccessEntryMap& Entries() const { return entries_; }
  AccessEntryMap& Entries() { return entries_; }

  // Rebuilds the map from the host's records (null pointers skipped): known
  // names keep a set filtered state, every other name gets `defaultFilter`;
  // a name published twice keeps its first record; groups get the names of
  // their direct members, whose own member lists are not read. Time and
  // memory are linear in the records and member pointers published, and
  // nothing recurses. A null array that promises records changes nothing and
  // answers false; a member array that does is read as no members.
  bool RefreshUsers(uint32_t count, HostUserRecord* const* records, bool defaultFilter);

  // The two halves of RefreshUsers, so that the host's records can be read
  // while requests go on. Published: the entries of a refresh with every
  // state 0, built without looking at any access rights; none when a null
  // array promises records. TakeRefreshed: gives each of `refreshed`'s
  // entries the set state of its name here, else `defaultFilter`, and swaps
  // the entries, so that `refreshed` then holds the ones replaced (linear in
  // both: the two maps are walked side by side).
  static std::optional<AccessRights> Published(uint32_t count, HostUserRecord* const* records);
  void TakeRefreshed(AccessRights* refreshed, bool defaultFilter);

 private:
  AccessEntryMap entries_;
};

// Whether filtering applies to a request's user (the name as the request
// gives it, already lower-cased by the caller).
bool IsUserFiltered(const AccessRights& rights, const std::string& userName, bool applyToAllUsers,
                    bool forceFiltering);

}  // namespace avex
