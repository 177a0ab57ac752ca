#include "plugin/plugin_info_record.h"

#include <cstring>

#include "plugin/plugin_names.h"

namespace avex {

PluginInfoRecord MakePluginInfoRecord() {
  PluginInfoRecord record;
  std::memset(&record, 0, sizeof record);
  record.interfaceVersion = 0x00010000;
  record.one1 = 1;
  record.one2 = 1;
  record.one3 = 1;
  std::strncpy(record.displayName, kDisplayName, sizeof record.displayName - 1);
  std::strncpy(record.companyName, kCompanyName, sizeof record.companyName - 1);
  return record;
}

}  // namespace avex
