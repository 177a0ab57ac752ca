#include "config/live_configuration.h"

#include <utility>

namespace avex {

LiveConfiguration::LiveConfiguration() : current_(std::make_shared<const PluginConfiguration>()) {}

ConfigurationSnapshot LiveConfiguration::Current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return current_;
}

uint64_t LiveConfiguration::Publish(ConfigurationSnapshot next, ConfigurationSnapshot* replaced) {
  std::lock_guard<std::mutex> lock(mutex_);
  *replaced = std::exchange(current_, std::move(next));
  return ++publications_;
}

}  // namespace avex
