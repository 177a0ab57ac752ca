#include "lists/manual_list_file.h"

#include <vector>

#include "common/category_table.h"

namespace avex {

namespace {

// The longest line text one read gives; a longer line goes on in the next.
constexpr size_t kLineBytes = 4095;
// How much of the file one fread takes.
constexpr size_t kReadBlockBytes = 64 * 1024;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The words and names we compare against are ASCII, so folding ASCII alone
// answers as the code page's folding would: no other byte can equal theirs.
bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Cuts a byte stream into the lines that reading it in text mode with a
// 4096-byte line buffer gives. A carriage return is held back until the next
// byte shows whether it starts a "\r\n". Bytes after a NUL count towards the
// line's length but not its text, as the line would end there as a C string.
class LineCutter {
 public:
  explicit LineCutter(const std::function<void(const ListFileLine&)>& onLine) : onLine_(onLine) {
    text_.reserve(kLineBytes);
  }

  void Take(const char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      const char byte = bytes[i];
      if (carriageReturnHeld_) {
        carriageReturnHeld_ = false;
        if (byte == '\n') {
          Add('\n');
          continue;
        }
        Add('\r');
      }
      if (byte == '\r') {
        carriageReturnHeld_ = true;
      } else {
        Add(byte);
      }
    }
  }

  void Finish() {
    if (carriageReturnHeld_) {
      carriageReturnHeld_ = false;
      Add('\r');
    }
    EndLine();
  }

 private:
  void Add(char byte) {
    if (byte == '\n') {
      EndLine();
      return;
    }
    if (byte == '\0') {
      textEnded_ = true;
    } else if (!textEnded_) {
      text_.push_back(byte);
    }
    if (++lineBytes_ == kLineBytes) EndLine();
  }

  void EndLine() {
    if (!text_.empty()) onLine_(ParseListFileLine(text_));
    text_.clear();
    lineBytes_ = 0;
    textEnded_ = false;
  }

  const std::function<void(const ListFileLine&)>& onLine_;
  std::string text_;
  size_t lineBytes_ = 0;
  bool textEnded_ = false;
  bool carriageReturnHeld_ = false;
};

}  // namespace

const char* ManualEntryTypeWord(int type) {
  switch (type) {
    case ManualEntryUrl:
      return "URL";
    case ManualEntrySite:
      return "Site";
    default:
      return "Partial";
  }
}

int ManualEntryTypeOf(std::string_view word) {
  if (EqualsIgnoringCase(word, "Partial")) return ManualEntryPartial;
  if (EqualsIgnoringCase(word, "Site")) return ManualEntrySite;
  return ManualEntryUrl;
}

int32_t ClassificationCategory(std::string_view classification) {
  if (EqualsIgnoringCase(classification, CategoryAllowedLabel)) return CategoryAllowed;
  for (const CategoryInfo& row : CategoryTable) {
    if (row.hasResponse && EqualsIgnoringCase(classification, row.name)) return row.id;
  }
  return CategoryBlocked;
}

ListFileLine ParseListFileLine(std::string_view line) {
  ListFileLine entry;
  const size_t first = line.find('|');
  if (first == std::string_view::npos) {
    entry.text.assign(line.data(), line.size());
    entry.type = ManualEntryUrl;
    entry.categoryId = CategoryBlocked;
    return entry;
  }
  const size_t last = line.rfind('|');
  entry.text.assign(line.data(), first);
  // With a single "|" the type word is empty.
  entry.type = ManualEntryTypeOf(last > first ? line.substr(first + 1, last - first - 1) : std::string_view());
  entry.categoryId = ClassificationCategory(line.substr(last + 1));
  return entry;
}

void ReadListFile(std::FILE* file, const std::function<void(const ListFileLine&)>& onLine) {
  LineCutter cutter(onLine);
  std::vector<char> block(kReadBlockBytes);
  size_t count;
  while ((count = std::fread(block.data(), 1, block.size(), file)) > 0) cutter.Take(block.data(), count);
  cutter.Finish();
}

bool FormatListFileLine(std::string_view text, int type, int32_t categoryId, std::string* line) {
  const char* classification = nullptr;
  if (categoryId == CategoryAllowed) {
    classification = CategoryAllowedLabel;
  } else if (const CategoryInfo* row = FindCategory(categoryId); row != nullptr && row->hasResponse) {
    classification = row->name;
  } else {
    return false;
  }
  line->assign(text.data(), text.size());
  line->append("|").append(ManualEntryTypeWord(type)).append("|").append(classification).append("\n");
  return true;
}

}  // namespace avex
