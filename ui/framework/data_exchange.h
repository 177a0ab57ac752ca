// Data exchange between a dialog's controls and its members, declared once as
// a table of fields from which both directions and the validation come:
//
//   DataExchangeFields() { return {IntegerField(IDC_UPDATE_INTERVAL, &interval_, 1, 2147483647),
//                                  TextField(IDC_UPDATE_SERVER, &server_)}; }
//
// Loading shows the members in the controls; saving reads the controls into
// the members and fails at the first field whose text is no whole number in
// its range, after showing the standard message for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace avex::ui {

struct DataExchangeField {
  enum class Kind { Text, Integer, Check, Radio, ComboIndex };
  Kind kind;
  int controlId;
  // std::string*, int64_t*, bool*, or int* (the checked button of a radio
  // group, or the selected item of a combo box; -1 for none)
  void* member;
  int64_t minimum = 0;
  int64_t maximum = 0;
};

using DataExchangeTable = std::vector<DataExchangeField>;

inline DataExchangeField TextField(int controlId, std::string* member) {
  return {DataExchangeField::Kind::Text, controlId, member};
}
inline DataExchangeField IntegerField(int controlId, int64_t* member, int64_t minimum, int64_t maximum) {
  return {DataExchangeField::Kind::Integer, controlId, member, minimum, maximum};
}
inline DataExchangeField CheckField(int controlId, bool* member) {
  return {DataExchangeField::Kind::Check, controlId, member};
}
// `controlId` is the first button of the group (the one with the group style).
inline DataExchangeField RadioField(int controlId, int* member) {
  return {DataExchangeField::Kind::Radio, controlId, member};
}
inline DataExchangeField ComboIndexField(int controlId, int* member) {
  return {DataExchangeField::Kind::ComboIndex, controlId, member};
}

// A whole number from the text of an edit box: optional blanks around an
// optionally signed run of digits, nothing else; none when the text is no
// number or does not fit in 64 bits.
std::optional<int64_t> ParseInteger(const std::string& text);

// The message shown for an integer field that is no number or out of range.
std::string IntegerRangeMessage(int64_t minimum, int64_t maximum);

}  // namespace avex::ui
