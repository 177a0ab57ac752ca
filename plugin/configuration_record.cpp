#include "plugin/configuration_record.h"

#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace avex {

namespace {

// Appends items to the caller's buffer, or only counts their bytes without one.
class RecordWriter {
 public:
  RecordWriter(uint8_t* buffer, uint32_t capacity) : buffer_(buffer), capacity_(capacity) {}

  void Integer(uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    Item(bytes, sizeof bytes);
  }

  void Flag(bool value) { Byte(value ? 1 : 0); }

  void Byte(uint8_t value) { Item(&value, 1); }

  void Single(float value) {
    uint32_t bits = 0;
    static_assert(sizeof bits == sizeof value, "a level is a 32-bit single");
    std::memcpy(&bits, &value, sizeof bits);
    Integer(bits);
  }

  void String(std::string_view text) {
    Integer(static_cast<uint32_t>(text.size()));
    Item(text.data(), text.size());
  }

  void Count(size_t count) { Integer(static_cast<uint32_t>(count)); }

  uint32_t Length() const {
    return length_ > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                          : static_cast<uint32_t>(length_);
  }

 private:
  void Item(const void* bytes, size_t size) {
    if (buffer_ == nullptr) {
      length_ += size;
      return;
    }
    // Once an item is left out, every later one would land at the wrong
    // offset: what is written stays a prefix of the record.
    if (full_ || size > capacity_ - length_) {
      full_ = true;
      return;
    }
    if (size != 0) std::memcpy(buffer_ + length_, bytes, size);
    length_ += size;
  }

  uint8_t* buffer_;
  uint64_t capacity_;
  uint64_t length_ = 0;
  bool full_ = false;
};

// Takes fields from the front of a record; past its end every field reads
// as 0 or empty and Overrun says so.
class RecordReader {
 public:
  RecordReader(const uint8_t* record, uint32_t size) : record_(record), size_(size) {}

  uint32_t Integer() {
    const uint8_t* bytes = Take(4);
    if (bytes == nullptr) return 0;
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  }

  bool Flag() { return Byte() != 0; }

  uint8_t Byte() {
    const uint8_t* bytes = Take(1);
    return bytes != nullptr ? bytes[0] : 0;
  }

  float Single() {
    const uint32_t bits = Integer();
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  std::string String() {
    const uint32_t length = Integer();
    const uint8_t* bytes = Take(length);
    if (bytes == nullptr) return std::string();
    const void* zero = std::memchr(bytes, 0, length);
    const size_t textLength = zero != nullptr ? static_cast<const uint8_t*>(zero) - bytes : length;
    return std::string(reinterpret_cast<const char*>(bytes), textLength);
  }

  bool Overrun() const { return overrun_; }

 private:
  // The next `count` bytes, or null when the record ends before them; the
  // record then counts as ended for every later read too.
  const uint8_t* Take(uint32_t count) {
    if (count > size_ - position_) {
      overrun_ = true;
      position_ = size_;
      return nullptr;
    }
    const uint8_t* bytes = record_ + position_;
    position_ += count;
    return bytes;
  }

  const uint8_t* record_;
  uint32_t size_;
  uint32_t position_ = 0;
  bool overrun_ = false;
};

int32_t AsCategoryId(uint32_t value) { return static_cast<int32_t>(value); }
uint32_t AsInteger(int32_t categoryId) { return static_cast<uint32_t>(categoryId); }

void WriteList(RecordWriter& writer, const PartialList& entries) {
  writer.Count(entries.size());
  for (const ManualEntry& entry : entries) {
    writer.String(entry.text);
    writer.Integer(AsInteger(entry.categoryId));
  }
}

void WriteList(RecordWriter& writer, const SortedListView& entries) {
  writer.Count(entries.size());
  for (const ManualEntryRef& entry : entries) {
    writer.String(entry.text);
    writer.Integer(AsInteger(entry.categoryId));
  }
}

// Reads a counted list, handing every whole entry to `take`; the first entry
// that runs past the end of the record ends the list unused. Every entry
// takes at least eight bytes, so a count that promises more than the record
// holds cannot keep the loop going.
template <typename Take>
void ReadList(RecordReader& reader, const Take& take) {
  const uint32_t count = reader.Integer();
  for (uint32_t i = 0; i < count; ++i) {
    ManualEntry entry;
    entry.text = reader.String();
    entry.categoryId = AsCategoryId(reader.Integer());
    if (reader.Overrun()) return;
    take(std::move(entry));
  }
}

void ReadResponses(RecordReader& reader, ResponseSet* responses) {
  responses->Clear();
  const uint32_t count = reader.Integer();
  for (uint32_t i = 0; i < count; ++i) {
    const int32_t id = AsCategoryId(reader.Integer());
    std::string description = reader.String();
    const std::string textTitle = reader.String();
    const std::string textBody = reader.String();
    const std::string htmlTitle = reader.String();
    const std::string htmlBody = reader.String();
    if (reader.Overrun()) return;
    CustomResponse response(id, std::move(description));
    response.SetTitle(ResponseKindText, textTitle);
    response.SetBody(ResponseKindText, textBody);
    response.SetTitle(ResponseKindHtml, htmlTitle);
    response.SetBody(ResponseKindHtml, htmlBody);
    responses->InsertOrReplace(response);
  }
}

void ReadCategorySettings(RecordReader& reader, CategorySettings* categories) {
  const uint32_t count = reader.Integer();
  for (uint32_t row = 0; row < count; ++row) {
    CategorySetting setting;
    setting.level = reader.Single();
    setting.enabled = reader.Flag();
    if (reader.Overrun()) return;
    if (row < categories->size()) (*categories)[row] = setting;
  }
}

// The record carries no members: a group takes over those it had before, or
// a user filtered only through a group would no longer be filtered.
void ReadAccessRights(RecordReader& reader, AccessRights* rights) {
  AccessRights previous;
  std::swap(previous, *rights);
  const uint32_t count = reader.Integer();
  for (uint32_t i = 0; i < count; ++i) {
    const std::string name = reader.String();
    const bool filtered = reader.Flag();
    const uint8_t hostFlag = reader.Byte();
    const bool isGroup = reader.Flag();
    const uint32_t hostValue = reader.Integer();
    if (reader.Overrun()) break;
    rights->Assign(name, isGroup ? 1 : 0, filtered ? 1 : 0, hostFlag, hostValue);
  }
  rights->TakeMembersOf(&previous);
}

}  // namespace

uint32_t WriteConfigurationRecord(const PluginConfiguration& config, void* buffer, uint32_t capacity) {
  RecordWriter writer(static_cast<uint8_t*>(buffer), capacity);
  const FilterSettings& settings = config.settings;

  writer.Integer(settings.useSafeSurf);
  writer.Integer(settings.useRsaci);
  writer.Integer(settings.useUrlCache);
  writer.Integer(config.hostLoggingCapable);
  writer.Integer(config.logging.enabled);
  writer.Integer(config.logging.logBlocked ? 1 : 0);
  writer.Integer(config.logging.logAllowed ? 1 : 0);
  writer.Integer(config.logging.logConfigurationChanges ? 1 : 0);

  writer.Count(config.responses.size());
  for (const auto& [id, response] : config.responses) {
    writer.Integer(AsInteger(id));
    writer.String(response.Description());
    writer.String(response.GetTitle(ResponseKindText));
    writer.String(response.GetBody(ResponseKindText));
    writer.String(response.GetTitle(ResponseKindHtml));
    writer.String(response.GetBody(ResponseKindHtml));
  }

  writer.Count(settings.categories.size());
  for (const CategorySetting& setting : settings.categories) {
    writer.Single(setting.level);
    writer.Flag(setting.enabled);
  }
  writer.Flag(settings.applyToAllUsers == 1);

  const AccessEntryMap& entries = config.accessRights.Entries();
  writer.Count(entries.size());
  for (const auto& [name, entry] : entries) {
    writer.String(name);
    writer.Flag(entry.state != 0);
    writer.Byte(static_cast<uint8_t>(entry.hostFlag));
    writer.Flag(entry.isGroup != 0);
    writer.Integer(entry.hostValue);
  }

  WriteList(writer, settings.lists.partials());
  WriteList(writer, settings.lists.sites());
  WriteList(writer, settings.lists.urls());

  writer.Integer(settings.useStaticListUpdates);
  writer.Integer(settings.staticListUpdateInterval);
  writer.String(config.updateServer.name);
  writer.Integer(config.updateServer.port);
  return writer.Length();
}

bool ReadConfigurationRecord(const void* record, uint32_t size, PluginConfiguration* config) {
  if (record == nullptr || size == 0 || config == nullptr) return false;
  RecordReader reader(static_cast<const uint8_t*>(record), size);
  FilterSettings& settings = config->settings;

  settings.useSafeSurf = reader.Integer();
  settings.useRsaci = reader.Integer();
  settings.useUrlCache = reader.Integer();
  config->hostLoggingCapable = reader.Integer();
  config->logging.enabled = reader.Integer();
  config->logging.logBlocked = reader.Integer() != 0;
  config->logging.logAllowed = reader.Integer() != 0;
  config->logging.logConfigurationChanges = reader.Integer() != 0;

  ReadResponses(reader, &config->responses);
  ReadCategorySettings(reader, &settings.categories);
  settings.applyToAllUsers = reader.Flag() ? 1 : 0;
  ReadAccessRights(reader, &config->accessRights);

  ManualLists& lists = settings.lists;
  lists.ClearPartials();
  ReadList(reader, [&lists](ManualEntry entry) { lists.AppendPartial(std::move(entry)); });
  lists.ClearSites();
  ReadList(reader, [&lists](ManualEntry entry) { lists.InsertSite(std::move(entry)); });
  lists.ClearUrls();
  ReadList(reader, [&lists](ManualEntry entry) { lists.InsertUrl(std::move(entry)); });

  settings.useStaticListUpdates = reader.Integer();
  settings.staticListUpdateInterval = reader.Integer();
  config->updateServer.name = reader.String();
  config->updateServer.port = reader.Integer();
  return !reader.Overrun();
}

}  // namespace avex
