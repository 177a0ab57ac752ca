#include "tests/fuzz/list_file_check.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/category_table.h"
#include "lists/manual_list_file.h"

namespace avex::fuzz {
namespace {

constexpr size_t kLineBytes = 4095;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Describe(const ListFileLine& entry) {
  return "\"" + entry.text.substr(0, 40) + (entry.text.size() > 40 ? "...\"" : "\"") + " (" +
         std::to_string(entry.text.size()) + " bytes, type " + std::to_string(entry.type) + ", category " +
         std::to_string(entry.categoryId) + ")";
}

// The entries of `bytes` as ReadListFile gives them from a file; false when
// no temporary file could be made.
bool ReadThroughFile(const std::string& bytes, std::vector<ListFileLine>* entries) {
  File file(std::tmpfile());
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
  std::rewind(file.get());
  ReadListFile(file.get(), [entries](const ListFileLine& entry) { entries->push_back(entry); });
  return true;
}

// The lines of the whole file at once, the plain way: every "\r\n" made
// "\n", then pieces of up to 4095 bytes that end after a line feed, each
// taken as a C string, cut at its line feed and dropped when empty.
std::vector<std::string> TextModeLines(const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(bytes[i]);
  }
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t feed = text.find('\n', start);
    const size_t end = std::min(start + kLineBytes, feed == std::string::npos ? text.size() : feed + 1);
    std::string line = text.substr(start, end - start);
    start = end;
    line.resize(std::min(line.find('\0'), line.size()));
    line.resize(std::min(line.find('\n'), line.size()));
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string CheckEntry(const ListFileLine& entry) {
  if (entry.text.size() > kLineBytes) return "the entry " + Describe(entry) + " is longer than a line";
  if (entry.text.find_first_of(std::string("\n\0|", 3)) != std::string::npos) {
    return "the entry " + Describe(entry) + " holds a line feed, a NUL or a bar";
  }
  if (entry.type < ManualEntryPartial || entry.type > ManualEntrySite) {
    return "the entry " + Describe(entry) + " has no type of the type combo";
  }
  const CategoryInfo* row = FindCategory(entry.categoryId);
  if (entry.categoryId != CategoryAllowed && (row == nullptr || !row->hasResponse)) {
    return "the entry " + Describe(entry) + " has a category without a block page";
  }
  return std::string();
}

// Every entry read is one Export can write, and its line reads back as the
// same entry; those whose line fits in one read come back from a file too.
std::string CheckRoundTrip(const std::vector<ListFileLine>& entries) {
  std::string exported;
  std::vector<ListFileLine> fitting;
  for (const ListFileLine& entry : entries) {
    std::string line;
    if (!FormatListFileLine(entry.text, entry.type, entry.categoryId, &line)) {
      return "the entry " + Describe(entry) + " was read but cannot be exported";
    }
    if (line.empty() || line.back() != '\n' || line.find('\n') != line.size() - 1) {
      return "the exported line of " + Describe(entry) + " does not end at its only line feed";
    }
    const ListFileLine again = ParseListFileLine(std::string_view(line).substr(0, line.size() - 1));
    if (again != entry) return "the exported line of " + Describe(entry) + " reads as " + Describe(again);
    if (line.size() - 1 <= kLineBytes) {
      exported += line;
      fitting.push_back(entry);
    }
  }
  std::vector<ListFileLine> imported;
  if (!ReadThroughFile(exported, &imported)) return "no temporary file for the export";
  if (imported != fitting) {
    return "an export of " + std::to_string(fitting.size()) + " entries read back as " +
           std::to_string(imported.size()) + " different ones";
  }
  return std::string();
}

}  // namespace

std::string CheckListFile(const uint8_t* data, size_t size) {
  const std::string bytes = size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
  std::vector<ListFileLine> entries;
  if (!ReadThroughFile(bytes, &entries)) return "no temporary file for the input";

  const std::vector<std::string> lines = TextModeLines(bytes);
  if (entries.size() != lines.size()) {
    return "the file read as " + std::to_string(entries.size()) + " entries, but it has " +
           std::to_string(lines.size()) + " non-empty lines";
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string fault = CheckEntry(entries[i]);
    if (!fault.empty()) return fault;
    const ListFileLine parsed = ParseListFileLine(lines[i]);
    if (parsed != entries[i]) {
      return "line " + std::to_string(i) + " reads as " + Describe(entries[i]) + " from the file but as " +
             Describe(parsed) + " alone";
    }
    if (ParseListFileLine(lines[i]) != parsed) return "line " + std::to_string(i) + " parsed differently twice";
    if (parsed.text != lines[i].substr(0, lines[i].find('|'))) {
      return "line " + std::to_string(i) + " gave " + Describe(parsed) + ", not the text before its first bar";
    }
  }
  return CheckRoundTrip(entries);
}

}  // namespace avex::fuzz
