// The access rights: whom the filter applies to.
//
// A map from the name the host published to an entry with a filtered state,
// ascending byte-wise by name. A group keeps the names of its direct members
// only: whether a user is filtered never depends on deeper nesting, so the
// host's nesting (however deep, or cyclic) costs nothing beyond its records.
// Entries keep their names as published; the request path finds a user by
// the name folded with the code page's case folding, since the host's user
// names do not tell case apart, through an index built from the entries on
// the first look-up after a change (or by PrepareIndex). The index is
// immutable and shared by copies until one of them changes.
// Threads: look-ups on one object may run on several threads at once (the
// index is published atomically); a change needs the object to itself.
// Callers hold the shared-data lock, or work on a copy.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "common/host_interfaces.h"

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
  AccessRights() = default;
  AccessRights(const AccessRights& other);
  AccessRights& operator=(const AccessRights& other);
  AccessRights(AccessRights&& other) noexcept;
  AccessRights& operator=(AccessRights&& other) noexcept;
  ~AccessRights();

  // Adds a top-level entry; false (and no change) when the name is present.
  bool Add(const std::string& name, const std::string& description, uint32_t isGroup,
           uint32_t state, uint32_t hostFlag, uint32_t hostValue);

  // Adds the entry (without a description) unless the name is present, then
  // sets these fields of the entry of that name: a name given twice is one
  // entry with the later values.
  void Assign(const std::string& name, uint32_t isGroup, uint32_t state, uint32_t hostFlag, uint32_t hostValue);

  // Sets the filtered state of the entry with exactly this name; false when
  // there is none.
  bool SetState(const std::string& name, uint32_t state);

  // Every group here takes the members of the entry of its name in
  // `previous`, which loses them; for a record that carries no members.
  void TakeMembersOf(AccessRights* previous);

  // The top-level entry with exactly this name, or null.
  const AccessEntry* Find(const std::string& name) const;

  void Empty();

  const AccessEntryMap& Entries() const { return entries_; }

  // Rebuilds the map from the host's records (null pointers skipped): known
  // names keep a set filtered state, every other name gets `defaultFilter`;
  // a name published twice, in the same or another case, keeps its first
  // record; groups get the names of their direct members, whose own member
  // lists are not read. Time and memory are linear in the records and member
  // pointers published, and nothing recurses. A null array that promises
  // records changes nothing and answers false; a member array that does is
  // read as no members.
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

  // Builds the index now rather than in the first look-up after a change:
  // call it before the access rights go live, outside the lock that the
  // look-ups hold.
  void PrepareIndex() const;

 private:
  struct Index;
  friend bool IsUserFiltered(const AccessRights& rights, const std::string& foldedUserName, bool applyToAllUsers,
                             bool forceFiltering);

  // The index of the entries as they are now, built if a change dropped it.
  std::shared_ptr<const Index> CurrentIndex() const;
  void DropIndex();

  AccessEntryMap entries_;
  // Null after a change; read and published with the atomic shared_ptr
  // functions so that concurrent look-ups may race to build it.
  mutable std::shared_ptr<const Index> index_;
};

// `name` folded as the access rights' look-ups compare user names, into
// `folded` (whose buffer is reused).
void FoldUserName(std::string_view name, std::string* folded);

// Whether filtering applies to a request's user, given the request's user
// name folded by FoldUserName. A user is found by her entry's folded name
// (the first entry in name order when names differ only in case), and a
// filtered group covers the direct members whose folded name is hers.
// Allocates nothing once the index is built.
bool IsUserFiltered(const AccessRights& rights, const std::string& foldedUserName, bool applyToAllUsers,
                    bool forceFiltering);

}  // namespace avex
