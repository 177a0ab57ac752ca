#include "tests/fuzz/tag_content_check.h"

#include <string_view>

#include "responses/tag_content.h"
#include "platform/code_page.h"

namespace avex::fuzz {
namespace {

constexpr char kTagAlphabet[] = "bodytileBODYTILE<>/ \0";

struct Element {
  std::string tagName;
  std::string closingTag;
};

struct Expected {
  size_t start;
  size_t length;
};

// The rule, step by step, as the page's administrator reads it: a
// lower-cased copy in the code page's own folding, plain searches in it, and
// the original bytes between the opening tag's ">" and the closing tag.
Expected ReferenceTagContent(const std::string& file, const Element& element) {
  std::string lowered = file;
  platform::LowerInPlace(&lowered);
  std::string opening = "<" + element.tagName;
  platform::LowerInPlace(&opening);
  std::string closing = element.closingTag;
  platform::LowerInPlace(&closing);
  const size_t at = lowered.find(opening);
  if (at == std::string::npos) return {0, file.size()};
  const size_t close = lowered.find('>', at + opening.size());
  if (close == std::string::npos) return {0, file.size()};
  const size_t end = lowered.find(closing, close + 1);
  return {close + 1, (end == std::string::npos ? file.size() : end) - (close + 1)};
}

}  // namespace

std::string CheckTagContent(const uint8_t* data, size_t size) {
  if (size == 0) return "";
  Element element;
  size_t used = 1;
  if (data[0] == 0) {
    element = {"BODY", "</BODY>"};
  } else if (data[0] == 1) {
    element = {"TITLE", "</TITLE>"};
  } else {
    const size_t length = data[0] % 8;
    for (; used < size && element.tagName.size() < length; ++used) {
      element.tagName += kTagAlphabet[data[used] % (sizeof kTagAlphabet - 1)];
    }
    element.closingTag = "</" + element.tagName + ">";
  }
  // A copy of exactly the file's bytes, so that the sanitizer sees any read past it.
  const std::string file(reinterpret_cast<const char*>(data) + used, size - used);
  const std::string_view found = TagContent(file, element.tagName, element.closingTag);
  if (found.data() < file.data() || found.data() + found.size() > file.data() + file.size()) {
    return "the content is not a part of the file";
  }
  const Expected expected = ReferenceTagContent(file, element);
  if (static_cast<size_t>(found.data() - file.data()) != expected.start || found.size() != expected.length) {
    return "the content starts or ends elsewhere than the rule says";
  }
  return "";
}

}  // namespace avex::fuzz
