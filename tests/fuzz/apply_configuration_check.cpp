#include "tests/fuzz/apply_configuration_check.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "common/category_table.h"
#include "config/settings_store.h"
#include "lists/manual_lists.h"
#include "lists/url.h"
#include "platform/registry.h"
#include "plugin/plugin_application.h"
#include "common/result_codes.h"
#include "plugin/scanning_interface.h"

namespace avex::fuzz {
namespace {

using Bytes = std::vector<uint8_t>;

// Scanning objects are destroyed through their own operation, as the host does.
struct ObjectDeleter {
  void operator()(ScanningInterface* object) const { object->Destroy(); }
};
using Object = std::unique_ptr<ScanningInterface, ObjectDeleter>;

// Of each list, the entries that become request URLs: enough to reach the
// exact look-ups and the automaton's odd states, few enough to stay fast.
constexpr size_t kLookupsPerList = 4;
constexpr char kFixedUrl[] = "http://www.example.com/casino/index.html?q=Sport";
constexpr char kUserName[] = "fuzz";
// The host's users before the transfer: the record carries no members, so
// only these give the group a member to keep.
constexpr char kGroupName[] = "staff";
constexpr char kMemberName[] = "lee";
constexpr uint32_t kClientAddress = 0x0A000001;

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

// The host's logger: an event line must keep the four tab-separated fields
// of the host's log, whatever the record made of the configuration.
class EventLineChecker final : public HostLogger {
 public:
  uint32_t WriteEvent(uint32_t one, uint32_t kind, const char* line, const char* source) override {
    if (!fault_.empty()) return 0;
    if (one != 1 || kind > 1 || line == nullptr || source == nullptr) {
      fault_ = "an event was written with kind " + std::to_string(kind) + " or without a text";
      return 0;
    }
    int tabs = 0;
    for (const char* c = line; *c != '\0'; ++c) {
      const unsigned char byte = static_cast<unsigned char>(*c);
      if (byte == '\t') {
        ++tabs;
      } else if (byte < 0x20 || byte == 0x7F) {
        fault_ = std::string("an event line holds a control byte: ") + line;
        return 0;
      }
    }
    if (tabs != 3) fault_ = std::string("an event line lost its fields: ") + line;
    return 0;
  }

  const std::string& Fault() const { return fault_; }

 private:
  std::string fault_;
};

// An application that is never started: the engine process's mode without
// an engine, so no call reaches the registry's load or an engine library.
// One per side of a transfer, as the console and the engine process each
// hold their own copy of the plug-in.
PluginApplication& Sender() {
  static PluginApplication application;
  return application;
}

PluginApplication& Receiver() {
  static PluginApplication application;
  return application;
}

// A scanning object over `application` reset to the default configuration,
// with the no-save flag set.
Object FreshObject(PluginApplication& application, HostLogger* logger) {
  // Built once: making the default block pages anew for every object would
  // cost more than the rest of a check.
  static const PluginConfiguration defaults;
  application.ChangeConfiguration([](PluginConfiguration& next) {
    next = defaults;
    return true;
  });
  Object object(new ScanningInterface(application));
  object->SetNoSaveFlag(1);
  object->SetLogger(logger);
  return object;
}

// Hands the host's users to `object`, as the host does before any transfer.
std::string SetHostUsers(ScanningInterface& object) {
  HostUserRecord member{kMemberName, "", 0, 0, 0, 0, nullptr};
  HostUserRecord* members[] = {&member};
  HostUserRecord group{kGroupName, "", 1, 0, 0, 1, members};
  HostUserRecord user{kUserName, "", 0, 0, 0, 0, nullptr};
  HostUserRecord* records[] = {&group, &user};
  const HostUserDatabase users{2, records};
  const uint32_t result = object.SetUserDatabase(&users);
  return result == ResultOk ? std::string() : "SetUserDatabase answered " + Hex(result);
}

// The live configuration's record as the host reads it: the length query,
// then a buffer of exactly that length.
std::string ReadRecord(ScanningInterface& object, Bytes* record) {
  uint32_t length = 0;
  const uint32_t answer = object.GetConfiguration(nullptr, &length);
  if (answer != length) {
    return "the length query answered " + std::to_string(answer) + " but gave " + std::to_string(length);
  }
  if (length == 0) return "the configuration was written as an empty record";
  record->assign(length, 0);
  uint32_t capacity = length;
  const uint32_t result = object.GetConfiguration(record->data(), &capacity);
  if (result != ResultOk) return "GetConfiguration answered " + Hex(result);
  return std::string();
}

std::string Apply(ScanningInterface& object, const uint8_t* data, size_t size, const char* what) {
  const uint32_t result = object.ApplyConfiguration(data, static_cast<uint32_t>(size));
  if (result != ResultOk) return std::string("applying ") + what + " answered " + Hex(result);
  return std::string();
}

size_t FirstDifference(const Bytes& a, const Bytes& b) {
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  return at;
}

// A record written out and carried to the other side must come back
// byte for byte: a transfer that changes the configuration would drift it
// a little further with every trip between console and engine process.
std::string CheckRoundTrip(const Bytes& record, EventLineChecker* logger) {
  Object receiver = FreshObject(Receiver(), logger);
  std::string fault = Apply(*receiver, record.data(), record.size(), "the written record");
  if (!fault.empty()) return fault;
  Bytes again;
  fault = ReadRecord(*receiver, &again);
  if (!fault.empty()) return "after the round trip " + fault;
  if (again != record) {
    return "the record changed in a round trip (" + std::to_string(record.size()) + " bytes, then " +
           std::to_string(again.size()) + "; first difference at byte " +
           std::to_string(FirstDifference(record, again)) + ")";
  }
  return std::string();
}

// A buffer too small for the record receives a prefix of it and nothing
// past that prefix.
std::string CheckCutRecord(ScanningInterface& sender, const Bytes& record, uint32_t capacity,
                           EventLineChecker* logger) {
  // Every byte starts as the complement of the record's, so each byte that
  // was written shows, and so does one written past the prefix.
  Bytes cut(capacity);
  for (uint32_t i = 0; i < capacity; ++i) cut[i] = static_cast<uint8_t>(~record[i]);
  uint32_t size = capacity;
  const uint32_t result = sender.GetConfiguration(cut.data(), &size);
  if (result != ResultOk) {
    return "GetConfiguration into " + std::to_string(capacity) + " bytes answered " + Hex(result);
  }
  size_t written = 0;
  while (written < capacity && cut[written] == record[written]) ++written;
  for (size_t i = written; i < capacity; ++i) {
    if (cut[i] != static_cast<uint8_t>(~record[i])) {
      return "GetConfiguration into " + std::to_string(capacity) + " bytes changed byte " +
             std::to_string(i) + ", past its prefix of the record of " + std::to_string(written) + " bytes";
    }
  }

  // The prefix applied on the other side is a record cut short: refused,
  // with the configuration there left as it was.
  Object receiver = FreshObject(Receiver(), logger);
  Bytes before;
  std::string fault = ReadRecord(*receiver, &before);
  if (!fault.empty()) return fault;
  const uint32_t applied = receiver->ApplyConfiguration(cut.data(), static_cast<uint32_t>(written));
  if (applied != (written == 0 ? ResultOk : ResultInvalidParameter)) {
    return "applying a record cut to " + std::to_string(written) + " bytes answered " + Hex(applied);
  }
  Bytes after;
  fault = ReadRecord(*receiver, &after);
  if (!fault.empty()) return fault;
  if (after != before) {
    return "a refused record cut to " + std::to_string(written) + " bytes changed the configuration";
  }
  return std::string();
}

// The page of `type` must answer the size protocol: a size query, the page
// with its terminator in a buffer one longer, ResultBufferTooSmall in one
// byte less. An HTML page keeps its frame.
std::string CheckBlockPage(ScanningInterface& object, uint32_t type, const std::string& url) {
  uint32_t length = 0;
  uint32_t result = object.GetResponse(type, nullptr, &length);
  if (result != ResultOk) {
    return "the size query of block page " + std::to_string(type) + " answered " + Hex(result);
  }
  std::vector<char> page(static_cast<size_t>(length) + 1, '\x7F');
  uint32_t capacity = length + 1;
  result = object.GetResponse(type, page.data(), &capacity);
  if (result != ResultOk || capacity != length || page[length] != '\0') {
    return "block page " + std::to_string(type) + " of " + url + " did not fill a buffer of its size";
  }
  if (length != 0) {
    uint32_t tooSmall = length;
    if (object.GetResponse(type, page.data(), &tooSmall) != ResultBufferTooSmall || tooSmall != length) {
      return "block page " + std::to_string(type) + " of " + url + " fitted a buffer without its terminator";
    }
  }
  if (type == 1) {
    const std::string text(page.data(), length);
    const std::string open = "<HTML><HEAD><TITLE>";
    const std::string close = "</A></BODY></HTML>";
    if (text.compare(0, open.size(), open) != 0 || text.size() < close.size() ||
        text.compare(text.size() - close.size(), close.size(), close) != 0) {
      return "the HTML block page of " + url + " lost its frame";
    }
  }
  return std::string();
}

// A request for `url` against the lists the record built: the indexed
// look-up must agree with the walk over the lists, and SetSource must act on
// that answer (no engine is up, so an unlisted URL is sent on to scanning).
std::string CheckLookup(ScanningInterface& object, const std::string& url, const char* userName, bool force) {
  object.Reset(true);
  object.SetForceFiltering(force ? 1 : 0);
  const uint32_t result = object.SetSource(url.c_str(), "text/html", kClientAddress, userName);

  std::optional<int32_t> indexed;
  std::optional<int32_t> walked;
  {
    const ConfigurationSnapshot sent = Sender().Configuration();
    const ManualLists& lists = sent->settings.lists;
    const std::string normalised = NormaliseUrl(url);
    indexed = LookupManualClassification(lists, normalised);
    walked = LookupManualClassificationByWalk(lists, normalised);
  }
  if (indexed != walked) {
    return "the indexed look-up of " + url + " answered " + (indexed ? std::to_string(*indexed) : "nothing") +
           ", the walk over the lists " + (walked ? std::to_string(*walked) : "nothing");
  }

  if (result == ResultIgnore && !force) return std::string();
  if (walked) {
    if ((result != ResultPass && result != ResultReject) || object.Request().recordedCategory != *walked) {
      return "SetSource of listed " + url + " answered " + Hex(result) + " for category " +
             std::to_string(object.Request().recordedCategory) + " instead of the list's " +
             std::to_string(*walked);
    }
  } else if (result != ResultOk || object.Request().recordedCategory != CategoryNone) {
    return "SetSource of unlisted " + url + " answered " + Hex(result);
  }
  for (uint32_t type : {1u, 2u}) {
    const std::string fault = CheckBlockPage(object, type, url);
    if (!fault.empty()) return fault;
  }
  return std::string();
}

// The request URLs that reach the lists the record built: a fixed one; one
// on the update server's name, the record's last text and so the one that
// mutation reshapes most freely; for the first entries of each list one that
// it names; one on all of those partials at once, where their matches
// overlap; and one on each of them short of its last byte, where the
// automaton must fall back from an entry it did not complete to a shorter
// one inside it.
std::vector<std::string> LookupUrls() {
  std::vector<std::string> urls{kFixedUrl};
  SharedDataGuard guard(Sender().SharedData());
  const ConfigurationSnapshot sent = Sender().Configuration();
  urls.push_back("http://" + sent->updateServer.name);
  const ManualLists& lists = sent->settings.lists;
  size_t taken = 0;
  // An entry that normalised to nothing names no URL a host would send.
  for (const ManualEntryRef& entry : lists.urls()) {
    if (taken == kLookupsPerList) break;
    if (entry.text.empty()) continue;
    urls.emplace_back(entry.text);
    ++taken;
  }
  taken = 0;
  for (const ManualEntryRef& entry : lists.sites()) {
    if (taken++ == kLookupsPerList) break;
    urls.push_back("http://" + std::string(entry.text) + "/page");
  }
  std::string allPartials = "http://host.example/";
  std::string cutPartials = allPartials;
  for (size_t i = 0; i < lists.partials().size() && i < kLookupsPerList; ++i) {
    const std::string& text = lists.partials()[i].text;
    urls.push_back("http://host.example/" + text);
    allPartials += text;
    if (!text.empty()) cutPartials.append(text, 0, text.size() - 1).push_back('\n');
  }
  urls.push_back(allPartials);
  urls.push_back(cutPartials);
  return urls;
}

// The first name of the access rights, as the host would pass a user.
std::string FirstAccessName() {
  SharedDataGuard guard(Sender().SharedData());
  const ConfigurationSnapshot sent = Sender().Configuration();
  const AccessEntryMap& entries = sent->accessRights.Entries();
  return entries.empty() ? std::string() : entries.begin()->first;
}

std::string CheckRecord(const uint8_t* data, size_t size, EventLineChecker* logger) {
  Object sender = FreshObject(Sender(), logger);
  std::string fault = SetHostUsers(*sender);
  if (!fault.empty()) return fault;
  // A record cut short, or holding a text the registry cannot store, is
  // refused and changes nothing; any other is applied.
  Bytes before;
  fault = ReadRecord(*sender, &before);
  if (!fault.empty()) return fault;
  const uint32_t result = sender->ApplyConfiguration(data, static_cast<uint32_t>(size));
  if (result == ResultInvalidParameter) {
    Bytes after;
    fault = ReadRecord(*sender, &after);
    if (!fault.empty()) return fault;
    return after == before ? std::string() : "a refused record changed the configuration";
  }
  if (result != ResultOk) return "applying the record answered " + Hex(result);

  Bytes record;
  fault = ReadRecord(*sender, &record);
  if (!fault.empty()) return fault;
  fault = CheckRoundTrip(record, logger);
  if (!fault.empty()) return fault;
  fault = CheckCutRecord(*sender, record, static_cast<uint32_t>(1 + size % (record.size() - 1)), logger);
  if (!fault.empty()) return fault;

  for (const std::string& url : LookupUrls()) {
    fault = CheckLookup(*sender, url, kUserName, true);
    if (!fault.empty()) return fault;
  }
  // Unforced, the access rights decide: a name the record gave, and the
  // member of the group that only the host's users filled.
  for (const std::string& user : {FirstAccessName(), std::string(kMemberName)}) {
    if (user.empty()) continue;
    fault = CheckLookup(*sender, kFixedUrl, user.c_str(), false);
    if (!fault.empty()) return fault;
  }
  return std::string();
}

}  // namespace

std::string CheckApplyConfiguration(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return "a record longer than 32 bits cannot be transferred";
  const bool storedBefore = platform::registry::KeyExists(kSettingsRootKey);
  EventLineChecker logger;
  std::string fault = CheckRecord(data, size, &logger);
  if (fault.empty()) fault = logger.Fault();
  if (fault.empty() && !storedBefore && platform::registry::KeyExists(kSettingsRootKey)) {
    fault = "a transfer with the no-save flag wrote the settings to the registry";
  }
  return fault;
}

}  // namespace avex::fuzz
