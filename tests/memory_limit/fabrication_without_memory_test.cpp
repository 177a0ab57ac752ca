// A console holds a large configuration: a fabrication that runs out of
// memory, wherever in its work that happens, answers null and leaves nothing
// behind that a stop or a later object could trip over.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "config/plugin_configuration.h"
#include "host/scanning_table.h"
#include "plugin/configuration_record.h"
#include "tests/loaded_plugin.h"

namespace {

// The memory limit: once set, operator new hands out at most this many more
// bytes, in this program and in the plug-in library, which binds to the same
// operator new.
std::atomic<bool> gLimited{false};
std::atomic<size_t> gBytesLeft{0};

void* Allocate(size_t size) {
  if (gLimited.load()) {
    size_t left = gBytesLeft.load();
    do {
      if (size > left) throw std::bad_alloc();
    } while (!gBytesLeft.compare_exchange_weak(left, left - size));
  }
  if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
  throw std::bad_alloc();
}

// Memory freed while a Quarantine lasts is overwritten and kept from reuse
// until it ends, so that a use after the free goes wrong visibly here too,
// not under the address sanitizer only.
constexpr size_t kQuarantineBlocks = 1 << 16;
std::atomic<bool> gQuarantined{false};
void* gHeldBlocks[kQuarantineBlocks];
std::atomic<size_t> gHeldCount{0};

void Free(void* memory) {
  if (memory == nullptr) return;
  if (gQuarantined.load()) {
    std::memset(memory, 0xA5, malloc_usable_size(memory));
    const size_t slot = gHeldCount++;
    if (slot < kQuarantineBlocks) {
      gHeldBlocks[slot] = memory;
      return;
    }
  }
  std::free(memory);
}

class Quarantine {
 public:
  Quarantine() { gQuarantined = true; }
  ~Quarantine() {
    gQuarantined = false;
    const size_t held = std::min<size_t>(gHeldCount.exchange(0), kQuarantineBlocks);
    for (size_t i = 0; i < held; ++i) std::free(gHeldBlocks[i]);
  }
  Quarantine(const Quarantine&) = delete;
  Quarantine& operator=(const Quarantine&) = delete;
};

class MemoryLimit {
 public:
  explicit MemoryLimit(size_t bytes) {
    gBytesLeft = bytes;
    gLimited = true;
  }
  ~MemoryLimit() { gLimited = false; }
  MemoryLimit(const MemoryLimit&) = delete;
  MemoryLimit& operator=(const MemoryLimit&) = delete;
};

constexpr uint32_t kOk = 0;
constexpr int kEntriesPerList = 20000;
// The limits tried grow by this much until a fabrication succeeds.
constexpr size_t kLimitStepBytes = 32;

std::vector<uint8_t> LargeConfigurationRecord() {
  avex::PluginConfiguration configuration;
  for (int i = 0; i < kEntriesPerList; ++i) {
    const std::string site = "site-" + std::to_string(i) + ".example";
    configuration.settings.lists.InsertUrl({"http://" + site + "/page.html", 2});
    configuration.settings.lists.InsertSite({site, 2});
    configuration.settings.lists.AppendPartial({"keyword-" + std::to_string(i), 2});
  }
  std::vector<uint8_t> record(avex::WriteConfigurationRecord(configuration, nullptr, 0));
  avex::WriteConfigurationRecord(configuration, record.data(), static_cast<uint32_t>(record.size()));
  return record;
}

class FabricationWithoutMemoryTest : public avex::testing::LoadedPluginTest {};

TEST_F(FabricationWithoutMemoryTest, AnswersNullAndLeavesNothingBehind) {
  Load();
  plug_.PlugApiVersion(2);
  ASSERT_EQ(plug_.PlugStart(1, 1), 1);  // the console: every object copies the lists
  void* holder = plug_.PlugFabricateInterface();
  ASSERT_NE(holder, nullptr);
  const avex::host::ScanningObjectTable& slots = avex::host::TableOf(holder);
  slots.SetNoSaveFlag(holder, 1);
  const std::vector<uint8_t> record = LargeConfigurationRecord();
  ASSERT_EQ(slots.ApplyConfiguration(holder, record.data(), static_cast<uint32_t>(record.size())), kOk);

  int refused = 0;
  size_t enough = 0;
  void* fabricated = nullptr;
  for (size_t bytes = 0; fabricated == nullptr; bytes += kLimitStepBytes) {
    Quarantine quarantine;
    MemoryLimit limit(bytes);
    fabricated = plug_.PlugFabricateInterface();
    refused += fabricated == nullptr;
    enough = bytes;
  }
  EXPECT_GT(refused, 1);
  // The console's objects share the lists with the configuration rather
  // than copy 60,000 entries each.
  EXPECT_LT(enough, kEntriesPerList * 3u);
  EXPECT_EQ(plug_.PlugReleaseInterface(fabricated), 1);

  // The stop takes back the engine objects of live objects only.
  EXPECT_EQ(plug_.PlugStop(), 1);
  EXPECT_EQ(plug_.PlugReleaseInterface(holder), 1);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* memory) noexcept { Free(memory); }
void operator delete[](void* memory) noexcept { Free(memory); }
void operator delete(void* memory, size_t) noexcept { Free(memory); }
void operator delete[](void* memory, size_t) noexcept { Free(memory); }
