#include "platform/registry_fixture.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "platform/reg_file.h"
#include "platform/registry.h"

namespace avex::platform::registry {
namespace {

bool ApplyOperation(const regfile::Operation& op) {
  switch (op.kind) {
    case regfile::Operation::Kind::CreateKey:
      return RegistryKey::ForWriting(op.key).IsOpen();
    case regfile::Operation::Kind::DeleteKey:
      return DeleteKeyTree(op.key);
    case regfile::Operation::Kind::SetValue: {
      RegistryKey key = RegistryKey::ForWriting(op.key);
      // A string goes through the backend's own string write, which stores
      // it as regedit does.
      if (op.type == regfile::kTypeString) return key.WriteString(op.name, op.data);
      return key.Write(StoredValue{op.name, op.type, op.data});
    }
    case regfile::Operation::Kind::DeleteValue:
      return WriteString(op.key, op.name, nullptr);
  }
  return false;
}

}  // namespace

bool ImportRegText(const std::string& text) {
  std::vector<regfile::Operation> operations;
  if (!regfile::Parse(text, &operations)) return false;
  Batch batch;  // a registry file is read and written once
  bool ok = true;
  for (const regfile::Operation& op : operations) ok = ApplyOperation(op) && ok;
  return ok;
}

bool ImportRegFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  return ImportRegText(text.str());
}

}  // namespace avex::platform::registry
