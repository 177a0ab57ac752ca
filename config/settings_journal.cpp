#include "config/settings_journal.h"

#include <optional>
#include <utility>

#include "platform/reg_file.h"
#include "platform/registry.h"
#include "platform/trace.h"

namespace avex {

namespace {

namespace registry = platform::registry;
using registry::RegistryKey;
using registry::StoredValue;

// Parts of about this size: a registry value of a few megabytes is one
// wine-server round trip, while some systems refuse much larger ones.
constexpr size_t kPartBytes = 1 << 20;

std::function<void(JournalPhase)>& CrashPoint() {
  static std::function<void(JournalPhase)> crashPoint;
  return crashPoint;
}

void BeforeWrite(JournalPhase phase) {
  if (CrashPoint()) CrashPoint()(phase);
}

std::string PartName(uint32_t index) { return "Part " + std::to_string(index); }

void PutNumber(uint32_t number, std::string* out) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
}

void PutText(const std::string& text, std::string* out) {
  PutNumber(static_cast<uint32_t>(text.size()), out);
  out->append(text);
}

// One change: its kind (a byte), key, value name, type and data.
std::string Encoded(const TreeChange& change) {
  std::string record(1, static_cast<char>(change.kind));
  PutText(change.key, &record);
  PutText(change.value.name, &record);
  PutNumber(change.value.type, &record);
  PutText(change.value.data, &record);
  return record;
}

// The changes as parts; a change is never split between two parts.
std::vector<std::string> Parts(const std::vector<TreeChange>& changes) {
  std::vector<std::string> parts(1);
  for (const TreeChange& change : changes) {
    std::string record = Encoded(change);
    if (!parts.back().empty() && parts.back().size() + record.size() > kPartBytes) parts.emplace_back();
    parts.back() += record;
  }
  return parts;
}

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool AtEnd() const { return at_ == bytes_.size(); }
  bool Number(uint32_t* number) {
    if (bytes_.size() - at_ < 4) return false;
    *number = 0;
    for (int i = 3; i >= 0; --i) *number = (*number << 8) | static_cast<unsigned char>(bytes_[at_ + i]);
    at_ += 4;
    return true;
  }
  bool Text(std::string* text) {
    uint32_t size = 0;
    if (!Number(&size) || bytes_.size() - at_ < size) return false;
    text->assign(bytes_, at_, size);
    at_ += size;
    return true;
  }
  bool Byte(unsigned char* byte) {
    if (AtEnd()) return false;
    *byte = static_cast<unsigned char>(bytes_[at_++]);
    return true;
  }

 private:
  const std::string& bytes_;
  size_t at_ = 0;
};

bool Decode(const std::string& part, std::vector<TreeChange>* changes) {
  Reader reader(part);
  while (!reader.AtEnd()) {
    TreeChange change;
    unsigned char kind = 0;
    if (!reader.Byte(&kind) || kind < 1 || kind > 3 || !reader.Text(&change.key) ||
        !reader.Text(&change.value.name) || !reader.Number(&change.value.type) || !reader.Text(&change.value.data)) {
      return false;
    }
    change.kind = static_cast<TreeChange::Kind>(kind);
    changes->push_back(std::move(change));
  }
  return true;
}

// Every part of a complete journal of `count` parts; false when one is
// missing or does not decode.
bool ReadJournal(const std::string& journal, uint32_t count, std::vector<TreeChange>* changes) {
  const RegistryKey key = RegistryKey::ForReading(journal);
  for (uint32_t index = 0; index < count; ++index) {
    const std::optional<StoredValue> part = key.Query(PartName(index));
    if (!part || part->type != platform::regfile::kTypeBinary || !Decode(part->data, changes)) return false;
  }
  return true;
}

bool WriteJournal(const std::string& journal, const std::vector<TreeChange>& changes) {
  registry::Batch batch;
  const std::vector<std::string> parts = Parts(changes);
  RegistryKey key = RegistryKey::ForWriting(journal);
  if (!key.IsOpen()) return false;
  for (uint32_t index = 0; index < parts.size(); ++index) {
    BeforeWrite(JournalPhase::Write);
    if (!key.Write(StoredValue{PartName(index), platform::regfile::kTypeBinary, parts[index]})) return false;
  }
  BeforeWrite(JournalPhase::Write);
  return key.WriteDword(kSettingsJournalPartCount, static_cast<uint32_t>(parts.size()));
}

// The changes in order, one open key per run of changes to one key. Answers
// how many failed; a failed write does not stop the others.
size_t Apply(const std::string& root, const std::vector<TreeChange>& changes) {
  registry::Batch batch;
  size_t failed = 0;
  std::optional<RegistryKey> open;
  std::string openPath;
  for (const TreeChange& change : changes) {
    BeforeWrite(JournalPhase::Apply);
    const std::string path = change.key.empty() ? root : root + "\\" + change.key;
    bool done = false;
    if (change.kind == TreeChange::Kind::DeleteKey) {
      open.reset();  // it may be the deleted key or below it
      done = registry::DeleteKeyTree(path);
    } else {
      if (!open || openPath != change.key) {
        open.emplace(RegistryKey::ForWriting(path));
        openPath = change.key;
      }
      if (change.kind == TreeChange::Kind::DeleteValue) {
        done = open->DeleteValue(change.value.name);
      } else if (change.value.type == platform::regfile::kTypeString) {
        done = open->WriteString(change.value.name, change.value.data);  // with the zero the system adds
      } else {
        done = open->Write(change.value);
      }
    }
    failed += done ? 0 : 1;
  }
  if (failed != 0) {
    platform::Trace(nullptr, "settings save: %lu of %lu changes could not be written under %s\n",
                    static_cast<unsigned long>(failed), static_cast<unsigned long>(changes.size()), root.c_str());
  }
  return failed;
}

// The completion mark goes first: a drop cut short leaves an incomplete
// journal, never one that would pass for complete.
void Drop(const std::string& journal) {
  registry::Batch batch;
  BeforeWrite(JournalPhase::Drop);
  registry::WriteString(journal, kSettingsJournalPartCount, nullptr);
  BeforeWrite(JournalPhase::Drop);
  registry::DeleteKeyTree(journal);
}

}  // namespace

CommitResult CommitThroughJournal(const std::string& root, const std::vector<TreeChange>& changes) {
  const std::string journal = root + kSettingsJournalSuffix;
  if (!WriteJournal(journal, changes)) {
    platform::Trace(nullptr, "settings save: the journal %s could not be written; the stored settings stay\n",
                    journal.c_str());
    Drop(journal);
    return CommitResult::NotWritten;
  }
  const size_t failed = Apply(root, changes);
  Drop(journal);
  return failed == 0 ? CommitResult::Applied : CommitResult::AppliedWithFailures;
}

void FinishInterruptedJournal(const std::string& root) {
  const std::string journal = root + kSettingsJournalSuffix;
  if (!registry::KeyExists(journal)) return;
  std::optional<uint32_t> count;
  std::vector<TreeChange> changes;
  bool readable = false;
  {
    registry::Batch batch;
    count = registry::QueryDword(journal, kSettingsJournalPartCount);
    readable = count && ReadJournal(journal, *count, &changes);
  }
  if (!count) {
    platform::Trace(nullptr, "settings: the incomplete journal of an interrupted save under %s is dropped\n",
                    journal.c_str());
  } else if (!readable) {
    platform::Trace(nullptr, "settings: the journal under %s is marked complete but cannot be read; dropped\n",
                    journal.c_str());
  } else {
    platform::Trace(nullptr, "settings: finishing the journal of an interrupted save under %s (%lu changes)\n",
                    journal.c_str(), static_cast<unsigned long>(changes.size()));
    Apply(root, changes);
  }
  Drop(journal);
}

void SetJournalCrashPoint(std::function<void(JournalPhase)> crashPoint) { CrashPoint() = std::move(crashPoint); }

}  // namespace avex
