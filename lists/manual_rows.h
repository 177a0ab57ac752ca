// ManualRows: the administrator's manual classifications as the Manual
// classifications page edits them: one ordered sequence of rows (text,
// category, type) over all three lists, with a case-blind index of the texts
// so that adding, finding and importing stay fast for lists of hundreds of
// thousands of entries. A row is added only when no row has its text without
// regard to letter case; the stored entries the rows start from are all
// kept, even where two lists hold the same text, so that opening and
// confirming the page never drops one.
//
// A plain value for one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "lists/manual_list_file.h"
#include "lists/manual_lists.h"

namespace avex {

struct ManualRow {
  std::string text;
  int32_t categoryId = 0;
  int type = ManualEntryUrl;  // ManualEntryType
};

class ManualRows {
 public:
  ManualRows() = default;
  // The entries of `lists`: the partial list in its order, then the site
  // list, then the URL list.
  explicit ManualRows(const ManualLists& lists);

  size_t size() const { return rows_.size(); }
  const ManualRow& operator[](size_t index) const { return rows_[index]; }

  // Appends a row with the text as given; false, adding nothing, when a row
  // has the same text without regard to case.
  bool Add(ManualRow row);
  // Whether a row has this text, without regard to case.
  bool Contains(const std::string& text) const;
  // The first row with this text without regard to case, or -1.
  long Find(const std::string& text) const;

  // Removes the rows at `indices` (ascending, no repeats).
  void Remove(const std::vector<size_t>& indices);
  void Swap(size_t first, size_t second);

  // Empties the three lists of `lists` and fills them from the rows in row
  // order, each text normalised: partial rows appended, site and URL rows
  // inserted.
  void WriteInto(ManualLists* lists) const;

  // Adds the entries of a list file, normalised, that are not rows yet and
  // whose text is not empty; the number of rows added.
  size_t Import(std::FILE* file);
  // Writes the rows that a list file can hold, in row order; the number of
  // lines written, or -1 when writing failed.
  long Export(std::FILE* file) const;

 private:
  static std::string Folded(const std::string& text);

  std::vector<ManualRow> rows_;
  // Folded text -> number of rows with it (more than one only for stored
  // entries of different lists).
  std::unordered_map<std::string, size_t> texts_;
};

// The texts of a row's three columns as the page shows them.
std::string ManualRowCategoryText(int32_t categoryId);
const char* ManualRowTypeText(int type);

}  // namespace avex
