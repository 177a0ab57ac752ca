// The manual classification list file that the Manual classifications page
// imports and exports: one entry a line, "text|type word|classification".
//
// Export writes "%s|%s|Allow\n" for allowed entries and "%s|%s|%s\n" with the
// category's short name for the others, each line ended by a single line
// feed. Import reads lines of up to 4095 bytes (a longer line is read as
// several), as text mode does ("\r\n" reads as "\n"), cuts each at its first
// line feed and skips the empty ones; the text is everything before the first
// "|", the type word everything between the first and the last "|", the
// classification everything after the last "|". A line without "|" is an
// entry text alone: a URL, administratively blocked.
//
// Plain functions over values; any thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace avex {

// The entry types in the order of the page's type combo.
enum ManualEntryType : int { ManualEntryPartial = 0, ManualEntryUrl = 1, ManualEntrySite = 2 };

struct ListFileLine {
  std::string text;  // as read, not normalised
  int type = ManualEntryUrl;
  int32_t categoryId = 0;

  friend bool operator==(const ListFileLine& a, const ListFileLine& b) {
    return a.type == b.type && a.categoryId == b.categoryId && a.text == b.text;
  }
  friend bool operator!=(const ListFileLine& a, const ListFileLine& b) { return !(a == b); }
};

// "Partial", "URL" or "Site" (any other type than URL and Site is "Partial").
const char* ManualEntryTypeWord(int type);

// The type of a type word, without regard to case; URL for any other word.
int ManualEntryTypeOf(std::string_view word);

// The category of a classification, without regard to case: "Allow" gives
// CategoryAllowed, otherwise the first row with a block response whose short
// name equals it; CategoryBlocked when none does.
int32_t ClassificationCategory(std::string_view classification);

// One line of the file (already cut at its line feed, not empty).
ListFileLine ParseListFileLine(std::string_view line);

// Calls `onLine` for every entry line of `file`, read from its current
// position to its end as Import does. Open `file` in binary mode ("rb+"
// where Import asks for "r+"): the reader itself reads "\r\n" as "\n", so a
// file reads alike on every target, and a lone "\r" stays part of the line.
// A NUL byte ends its line's text, as it would end a C string; the bytes
// after it up to the line feed are dropped but still count towards the 4095,
// and a line that starts with one is empty. Memory stays at one line and one
// read block however long the file. Stops at the end of the file or at a
// read error.
void ReadListFile(std::FILE* file, const std::function<void(const ListFileLine&)>& onLine);

// The exported line of an entry, line feed included; false, leaving `line`
// alone, for an entry whose category has no block response and is not
// CategoryAllowed (such entries are not exported).
bool FormatListFileLine(std::string_view text, int type, int32_t categoryId, std::string* line);

}  // namespace avex
