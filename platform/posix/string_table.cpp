#include "platform/string_table.h"

namespace avex::platform {

std::string LoadText(uint32_t id) {
  switch (id) {
#define X(id, text) \
  case id:          \
    return text;
#include "resources/string_texts.inc"
#undef X
    default:
      return std::string();
  }
}

}  // namespace avex::platform
