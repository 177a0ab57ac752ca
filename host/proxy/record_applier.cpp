#include "host/proxy/record_applier.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "common/result_codes.h"
#include "host/request_replay.h"
#include "host/scanning_table.h"

namespace avex::host::proxy {

RecordApplier::RecordApplier(PluginHost* plugin, std::vector<std::string> files, std::chrono::milliseconds period)
    : plugin_(plugin), files_(std::move(files)), period_(period) {}

RecordApplier::~RecordApplier() {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    stop_.notify_all();
    thread_.join();
  }
  if (object_ != nullptr && plugin_->Exports().PlugReleaseInterface(object_) == 1) ++plugin_->released;
}

bool RecordApplier::Start(std::string* error) {
  for (const std::string& file : files_) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      *error = "cannot read " + file;
      return false;
    }
    std::string record((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (record.empty()) {
      *error = file + " holds no configuration record";
      return false;
    }
    records_.push_back(std::move(record));
  }
  object_ = plugin_->Exports().PlugFabricateInterface();
  if (object_ == nullptr) {
    *error = "the plug-in gave no scanning object for the configuration applies";
    return false;
  }
  ++plugin_->fabricated;
  const ScanningObjectTable& table = TableOf(object_);
  table.SetLogger(object_, &plugin_->events);
  table.SetNoSaveFlag(object_, 0);
  thread_ = std::thread([this] { Run(); });
  return true;
}

void RecordApplier::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (size_t number = 1;; ++number) {
    if (stop_.wait_for(lock, period_, [this] { return stopping_; })) return;
    lock.unlock();
    Apply(number);
    lock.lock();
  }
}

void RecordApplier::Apply(size_t number) {
  const size_t which = (number - 1) % records_.size();
  const std::string& record = records_[which];
  const auto start = std::chrono::steady_clock::now();
  const uint32_t result = TableOf(object_).ApplyConfiguration(object_, record.data(), static_cast<uint32_t>(record.size()));
  const double milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "configuration apply %zu: %s, %zu bytes: %s in %.1f ms\n", number, files_[which].c_str(),
               record.size(), ResultName(result), milliseconds);
  std::fflush(stderr);
}

}  // namespace avex::host::proxy
