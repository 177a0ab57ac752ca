#include "lists/manual_rows.h"

#include <cstdio>

#include "common/category_table.h"
#include "lists/url.h"
#include "platform/code_page.h"

namespace avex {

std::string ManualRows::Folded(const std::string& text) {
  std::string folded = text;
  platform::LowerInPlace(&folded);
  return folded;
}

ManualRows::ManualRows(const ManualLists& lists) {
  rows_.reserve(lists.partials().size() + lists.sites().size() + lists.urls().size());
  const auto keep = [this](std::string_view text, int32_t categoryId, int type) {
    rows_.push_back({std::string(text), categoryId, type});
    ++texts_[Folded(rows_.back().text)];
  };
  for (const ManualEntry& entry : lists.partials()) keep(entry.text, entry.categoryId, ManualEntryPartial);
  for (const ManualEntryRef& entry : lists.sites()) keep(entry.text, entry.categoryId, ManualEntrySite);
  for (const ManualEntryRef& entry : lists.urls()) keep(entry.text, entry.categoryId, ManualEntryUrl);
}

bool ManualRows::Add(ManualRow row) {
  size_t& count = texts_[Folded(row.text)];
  if (count != 0) return false;
  count = 1;
  rows_.push_back(std::move(row));
  return true;
}

bool ManualRows::Contains(const std::string& text) const { return texts_.count(Folded(text)) != 0; }

long ManualRows::Find(const std::string& text) const {
  const std::string folded = Folded(text);
  if (texts_.count(folded) == 0) return -1;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].text.size() == folded.size() && Folded(rows_[i].text) == folded) return static_cast<long>(i);
  }
  return -1;
}

void ManualRows::Remove(const std::vector<size_t>& indices) {
  size_t next = 0;
  size_t kept = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (next < indices.size() && indices[next] == i) {
      ++next;
      const auto text = texts_.find(Folded(rows_[i].text));
      if (text != texts_.end() && --text->second == 0) texts_.erase(text);
      continue;
    }
    if (kept != i) rows_[kept] = std::move(rows_[i]);
    ++kept;
  }
  rows_.resize(kept);
}

void ManualRows::Swap(size_t first, size_t second) { std::swap(rows_[first], rows_[second]); }

void ManualRows::WriteInto(ManualLists* lists) const {
  lists->ClearPartials();
  lists->ClearSites();
  lists->ClearUrls();
  for (const ManualRow& row : rows_) {
    ManualEntry entry{NormaliseUrl(row.text), row.categoryId};
    if (row.type == ManualEntrySite) {
      lists->InsertSite(std::move(entry));
    } else if (row.type == ManualEntryUrl) {
      lists->InsertUrl(std::move(entry));
    } else {
      lists->AppendPartial(std::move(entry));
    }
  }
}

size_t ManualRows::Import(std::FILE* file) {
  size_t added = 0;
  ReadListFile(file, [&](const ListFileLine& line) {
    // An empty text would match every request (a stray "|" line in a
    // downloaded list must not block or allow the whole web).
    std::string text = NormaliseUrl(line.text);
    if (!text.empty() && Add({std::move(text), line.categoryId, line.type})) ++added;
  });
  return added;
}

long ManualRows::Export(std::FILE* file) const {
  long written = 0;
  std::string line;
  for (const ManualRow& row : rows_) {
    if (!FormatListFileLine(row.text, row.type, row.categoryId, &line)) continue;
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) return -1;
    ++written;
  }
  return std::fflush(file) == 0 ? written : -1;
}

std::string ManualRowCategoryText(int32_t categoryId) {
  if (categoryId == CategoryAllowed) return CategoryAllowedLabel;
  const size_t row = CategoryIndexOf(categoryId);
  if (row < CategoryCount) return CategoryTable[row].description;
  char text[40];
  std::snprintf(text, sizeof text, "Unknown category %d", static_cast<int>(categoryId));
  return text;
}

const char* ManualRowTypeText(int type) { return ManualEntryTypeWord(type); }

}  // namespace avex
