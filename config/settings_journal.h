// The journal of a settings save: the difference a save writes into the
// settings root, kept beside the root until the root holds all of it, so
// that a process killed at any moment leaves the old tree or the new one.
//
// A commit goes in three phases, each one batch of registry calls (the
// POSIX file backend writes its file once per phase): the journal is written
// under the root's name with kSettingsJournalSuffix (binary parts of about a
// megabyte, then the part count, its completion mark, last); the changes are
// applied to the root; the journal is dropped, its mark first. Every change
// is idempotent, so a complete journal found later is applied again whole,
// and an incomplete one is dropped with the root untouched. The caller holds
// the settings store lock; nothing here takes a lock of its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/stored_tree.h"

namespace avex {

inline constexpr char kSettingsJournalSuffix[] = ".journal";
// The journal's completion mark: a DWORD, the number of its parts.
inline constexpr char kSettingsJournalPartCount[] = "Parts";

enum class JournalPhase { Write, Apply, Drop };

enum class CommitResult {
  Applied,              // every change reached the root
  AppliedWithFailures,  // some write failed (traced); the rest was applied
  NotWritten,           // the journal could not be written; the root is untouched
};

// Writes `changes` to the journal of `root` (a path below HKEY_LOCAL_MACHINE),
// applies them to `root` and drops the journal.
CommitResult CommitThroughJournal(const std::string& root, const std::vector<TreeChange>& changes);

// Finishes what an interrupted commit left beside `root`: a complete journal
// is applied and dropped, an incomplete one dropped. One registry call when
// there is none.
void FinishInterruptedJournal(const std::string& root);

// For tests only: `crashPoint` runs before every registry write of every
// phase (of a commit and of a finished journal), so that a test can end the
// process, or throw, at a chosen write. An empty function removes it. Set it
// while no save runs.
void SetJournalCrashPoint(std::function<void(JournalPhase)> crashPoint);

}  // namespace avex
