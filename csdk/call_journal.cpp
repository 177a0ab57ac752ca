#include "csdk/call_journal.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/file_append.h"

namespace avex::csdk {
namespace {

void AppendText(const char* text, std::string* line) {
  if (text == nullptr) {
    line->append("(null)");
    return;
  }
  for (const char* p = text; *p != '\0'; ++p) {
    unsigned char byte = static_cast<unsigned char>(*p);
    // A line break inside a URL must not start a line of its own.
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      line->append(escaped);
    } else {
      line->push_back(*p);
    }
  }
}

}  // namespace

void JournalCall(const char* operation, std::initializer_list<CallArgument> arguments) noexcept {
  const char* path = std::getenv("CSDK_JOURNAL");
  if (path == nullptr || *path == '\0') return;
  try {
    std::string line = operation;
    for (const CallArgument& argument : arguments) {
      line.push_back(' ');
      switch (argument.kind()) {
        case CallArgument::Kind::Text:
          AppendText(argument.text(), &line);
          break;
        case CallArgument::Kind::Unsigned:
          line.append(std::to_string(argument.unsignedValue()));
          break;
        case CallArgument::Kind::Signed:
          line.append(std::to_string(argument.signedValue()));
          break;
      }
    }
    line.push_back('\n');
    platform::AppendToFile(path, line.data(), line.size());
  } catch (...) {
    // Without memory for the line the call goes on unrecorded.
  }
}

}  // namespace avex::csdk
