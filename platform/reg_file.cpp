#include "platform/reg_file.h"

#include <cstdio>
#include <cstring>

namespace avex::platform::regfile {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool EqualsAsciiNoCase(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

void SkipSpaces(const std::string& s, size_t* pos) {
  while (*pos < s.size() && IsSpace(s[*pos])) ++*pos;
}

// Nothing but blanks or a comment from `pos` to the end of the line.
bool OnlyTrailer(const std::string& s, size_t pos) {
  SkipSpaces(s, &pos);
  return pos == s.size() || s[pos] == ';';
}

// Reads a quoted text starting at s[*pos] == '"'; on success *pos is just
// after the closing quote. Escapes follow Wine's regedit: \n, \r, \\, \";
// \0 is refused; any other escaped character stands for itself.
bool ReadQuoted(const std::string& s, size_t* pos, std::string* out) {
  out->clear();
  size_t i = *pos + 1;
  while (i < s.size()) {
    char c = s[i];
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= s.size()) return false;
      char e = s[i + 1];
      switch (e) {
        case 'n': out->push_back('\n'); break;
        case 'r': out->push_back('\r'); break;
        case '0': return false;
        default: out->push_back(e); break;
      }
      i += 2;
      continue;
    }
    out->push_back(c);
    ++i;
  }
  return false;
}

bool ParseHexBytes(const std::string& s, size_t pos, std::string* out) {
  out->clear();
  while (true) {
    SkipSpaces(s, &pos);
    if (pos == s.size() || s[pos] == ';') return true;
    int hi = HexDigit(s[pos]);
    if (hi < 0) return false;
    int value = hi;
    ++pos;
    if (pos < s.size() && HexDigit(s[pos]) >= 0) {
      value = value * 16 + HexDigit(s[pos]);
      ++pos;
    }
    out->push_back(static_cast<char>(value));
    SkipSpaces(s, &pos);
    if (pos == s.size() || s[pos] == ';') return true;
    if (s[pos] != ',') return false;
    ++pos;
  }
}

// The data part of a value line, from `pos`.
bool ParseData(const std::string& s, size_t pos, Operation* op) {
  if (s.compare(pos, 1, "-") == 0 && OnlyTrailer(s, pos + 1)) {
    op->kind = Operation::Kind::DeleteValue;
    return true;
  }
  op->kind = Operation::Kind::SetValue;
  if (pos < s.size() && s[pos] == '"') {
    op->type = kTypeString;
    return ReadQuoted(s, &pos, &op->data) && OnlyTrailer(s, pos);
  }
  if (s.compare(pos, 6, "dword:") == 0) {
    pos += 6;
    uint32_t value = 0;
    size_t digits = 0;
    while (pos < s.size() && HexDigit(s[pos]) >= 0) {
      if (++digits > 8) return false;
      value = value * 16 + static_cast<uint32_t>(HexDigit(s[pos]));
      ++pos;
    }
    if (digits == 0 || !OnlyTrailer(s, pos)) return false;
    op->type = kTypeDword;
    op->data.assign(4, '\0');
    for (int i = 0; i < 4; ++i) op->data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return true;
  }
  if (s.compare(pos, 4, "hex:") == 0) {
    op->type = kTypeBinary;
    return ParseHexBytes(s, pos + 4, &op->data);
  }
  if (s.compare(pos, 4, "hex(") == 0) {
    pos += 4;
    uint32_t type = 0;
    size_t digits = 0;
    while (pos < s.size() && HexDigit(s[pos]) >= 0) {
      if (++digits > 8) return false;
      type = type * 16 + static_cast<uint32_t>(HexDigit(s[pos]));
      ++pos;
    }
    if (digits == 0 || s.compare(pos, 2, "):") != 0) return false;
    op->type = type;
    return ParseHexBytes(s, pos + 2, &op->data);
  }
  return false;
}

// "[HKEY_LOCAL_MACHINE\path]" -> path; false for other roots and bad lines.
bool ParseSection(const std::string& line, size_t pos, bool* remove, std::string* path) {
  ++pos;  // '['
  *remove = pos < line.size() && line[pos] == '-';
  if (*remove) ++pos;
  size_t close = line.rfind(']');
  if (close == std::string::npos || close < pos) return false;
  std::string full = line.substr(pos, close - pos);
  size_t slash = full.find('\\');
  std::string root = full.substr(0, slash);
  if (!EqualsAsciiNoCase(root, "HKEY_LOCAL_MACHINE") && !EqualsAsciiNoCase(root, "HKLM")) {
    return false;
  }
  *path = slash == std::string::npos ? std::string() : full.substr(slash + 1);
  return true;
}

// The lines of `text`, without their line ends (LF or CR LF).
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// The index of the header line (the first that is not blank) when it names
// one of the two formats; lines.size() when it does not.
size_t HeaderLine(const std::vector<std::string>& lines) {
  size_t first = 0;
  while (first < lines.size() && lines[first].find_first_not_of(" \t") == std::string::npos) ++first;
  if (first == lines.size()) return first;
  std::string header = lines[first];
  if (header.compare(0, 3, "\xEF\xBB\xBF") == 0) header.erase(0, 3);
  while (!header.empty() && IsSpace(header.back())) header.pop_back();
  if (header != "REGEDIT4" && header != "Windows Registry Editor Version 5.00") return lines.size();
  return first;
}

// Hex data may go on over lines that end with a backslash: appends them to
// `line` and moves `*index` to the last one taken.
void JoinContinuedHex(const std::vector<std::string>& lines, size_t* index, std::string* line) {
  size_t last = line->find_last_not_of(" \t");
  while (last != std::string::npos && (*line)[last] == '\\' && *index + 1 < lines.size()) {
    line->erase(last);
    const std::string& next = lines[++*index];
    size_t from = next.find_first_not_of(" \t");
    if (from != std::string::npos) *line += next.substr(from);
    last = line->find_last_not_of(" \t");
  }
}

// A value line of the current key, from `pos` (its first character) on:
// false for a line that is not one, which the file format skips.
bool ParseValueLine(const std::vector<std::string>& lines, size_t* index, size_t pos, Operation* op) {
  std::string line = lines[*index];
  if (line[pos] == '@') {
    ++pos;
  } else if (line[pos] == '"') {
    if (!ReadQuoted(line, &pos, &op->name)) return false;
  } else {
    return false;
  }
  SkipSpaces(line, &pos);
  if (pos == line.size() || line[pos] != '=') return false;
  ++pos;
  SkipSpaces(line, &pos);
  if (line.compare(pos, 3, "hex") == 0) JoinContinuedHex(lines, index, &line);
  return ParseData(line, pos, op);
}

}  // namespace

bool Parse(const std::string& text, std::vector<Operation>* operations) {
  operations->clear();
  const std::vector<std::string> lines = SplitLines(text);
  const size_t header = HeaderLine(lines);
  if (header == lines.size()) return false;

  bool inKey = false;
  std::string currentKey;
  for (size_t i = header + 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    size_t pos = 0;
    SkipSpaces(line, &pos);
    if (pos == line.size() || line[pos] == ';' || line[pos] == '#') continue;

    if (line[pos] == '[') {
      bool remove = false;
      std::string path;
      if (!ParseSection(line, pos, &remove, &path)) {
        inKey = false;
        continue;
      }
      Operation op;
      op.kind = remove ? Operation::Kind::DeleteKey : Operation::Kind::CreateKey;
      op.key = path;
      operations->push_back(std::move(op));
      inKey = !remove;
      currentKey = path;
      continue;
    }

    if (!inKey) continue;
    Operation op;
    op.key = currentKey;
    if (ParseValueLine(lines, &i, pos, &op)) operations->push_back(std::move(op));
  }
  return true;
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out.push_back(c); break;
    }
  }
  out.push_back('"');
  return out;
}

Writer::Writer() : text_("REGEDIT4\n") {}

void Writer::Key(const std::string& path) {
  text_ += "\n[HKEY_LOCAL_MACHINE";
  if (!path.empty()) {
    text_.push_back('\\');
    text_ += path;
  }
  text_ += "]\n";
}

void Writer::Value(const std::string& name, uint32_t type, const std::string& data) {
  text_ += name.empty() ? std::string("@") : Quote(name);
  text_.push_back('=');
  char buffer[16];
  if (type == kTypeString && data.find('\0') == std::string::npos) {
    text_ += Quote(data);
  } else if (type == kTypeDword && data.size() == 4) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[i]);
    std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(value));
    text_ += buffer;
  } else {
    if (type == kTypeBinary) {
      text_ += "hex:";
    } else {
      std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
      text_ += buffer;
    }
    for (size_t i = 0; i < data.size(); ++i) {
      std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x", static_cast<unsigned char>(data[i]));
      text_ += buffer;
    }
  }
  text_.push_back('\n');
}

}  // namespace avex::platform::regfile
