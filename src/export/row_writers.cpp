// Writing rows as CSV and as JSON Lines. A row is sized first and then written in place.
#include "export/row_writers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/utf8.h"
#include "reader/record_patterns.h"

namespace survey {
namespace {

inline char* copy(std::string_view text, char* to) {
  if (!text.empty()) std::memcpy(to, text.data(), text.size());
  return to + text.size();
}

bool looksLikeAFormula(std::string_view value) {
  return !value.empty() && std::string_view("=+-@\t\r").find(value[0]) != std::string_view::npos;
}

bool needsQuotes(std::string_view value) {
  bool needed = false;
  for (char c : value) needed |= c == ',' || c == '"' || c == '\r' || c == '\n';
  return needed;
}

// At most 2 * size + 3 bytes.
char* writeCsvField(std::string_view value, bool safe, char* to) {
  const bool quoted = needsQuotes(value);
  if (quoted) *to++ = '"';
  if (safe && looksLikeAFormula(value)) *to++ = '\'';
  if (!quoted) return copy(value, to);
  for (char c : value) {
    *to++ = c;
    if (c == '"') *to++ = '"';
  }
  *to++ = '"';
  return to;
}

// The string's text between its quotes: at most 6 * size bytes.
char* writeJsonString(std::string_view value, char* to) {
  static const char kHex[] = "0123456789abcdef";
  size_t plainFrom = 0;
  for (size_t at = 0; at < value.size();) {
    unsigned char c = static_cast<unsigned char>(value[at]);
    if (c >= 0x20 && c != '"' && c != '\\' && c < 0x80) {
      ++at;
      continue;
    }
    size_t length = c < 0x80 ? 1 : utf8SequenceLength(value, at);
    if (length > 1) {
      at += length;
      continue;
    }
    to = copy(value.substr(plainFrom, at - plainFrom), to);
    // Each byte with a short escape, then the letter that follows the backslash.
    static const char kShortEscapes[] = "\"\"\\\\\bb\ff\nn\rr\tt";
    const char* shortEscape = c != 0 && c < 0x80 ? std::strchr(kShortEscapes, c) : nullptr;
    if (c >= 0x80) {
      to = copy("\xEF\xBF\xBD", to);  // U+FFFD for a byte that is not UTF-8
    } else if (shortEscape != nullptr) {
      *to++ = '\\';
      *to++ = shortEscape[1];
    } else {
      to = copy("\\u00", to);
      *to++ = kHex[c >> 4];
      *to++ = kHex[c & 0xF];
    }
    plainFrom = ++at;
  }
  return copy(value.substr(plainFrom), to);
}

// Each column's key as it opens its member, with the opening quote of its value but for the
// line's number: {"file":" ,"line": ,"runDate":" and so on.
struct JsonKeys {
  JsonKeys() {
    for (size_t column = 0; column < kColumnCount; ++column) {
      keys[column] = (column == 0 ? "{\"" : ",\"") + std::string(kColumnNames[column]) +
                     "\":" + (column == kLineColumn ? "" : "\"");
      total += keys[column].size();
    }
  }
  std::string keys[kColumnCount];
  size_t total = 0;
};

const JsonKeys kJsonKeys;

// The columns of text from outside the program, the file name and the typed answers, which a
// spreadsheet guard may need; the program's own values (the line, the identity, the run start,
// the figures) are left as they are, so that the figure -3 stays a number.
struct TypedColumns {
  TypedColumns() {
    const RecordPatterns& patterns = recordPatterns();
    of[kFileColumn] = true;
    for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
      const size_t field = static_cast<size_t>(patterns.fieldOfColumn[column]);
      of[column] = patterns.fields[field].kind == FieldKind::kWord;
    }
  }
  bool of[kColumnCount] = {};
};

}  // namespace

void appendCsvHeader(std::string* out) {
  for (size_t column = 0; column < kColumnCount; ++column) {
    if (column > 0) out->push_back(',');
    out->append(kColumnNames[column]);
  }
  out->append("\r\n");
}

void appendCsvValues(const std::string_view* values, size_t count, bool safeCells,
                     std::string* out) {
  for (size_t i = 0; i < count; ++i) {
    size_t at = out->size();
    out->resize(at + 2 * values[i].size() + 4);
    if (i > 0) (*out)[at++] = ',';
    out->resize(
        static_cast<size_t>(writeCsvField(values[i], safeCells, out->data() + at) - out->data()));
  }
  out->append("\r\n");
}

size_t csvRowBound(const RecordRow& row) {
  size_t size = 0;
  for (std::string_view field : row.fields) size += field.size();
  return 2 * size + 4 * kColumnCount + 2;
}

// Each value followed by a comma; the last comma becomes the row end.
char* writeCsvRow(const RecordRow& row, bool safeCells, char* to) {
  for (size_t column = 0; column < kColumnCount; ++column) {
    if (safeCells) {
      static const TypedColumns kTyped;
      to = writeCsvField(row.fields[column], kTyped.of[column], to);
    } else {
      to = row.plain[column] ? copy(row.fields[column], to)
                             : writeCsvField(row.fields[column], false, to);
    }
    *to++ = ',';
  }
  to[-1] = '\r';
  *to++ = '\n';
  return to;
}

size_t jsonLineBound(const RecordRow& row) {
  size_t size = 0;
  for (std::string_view field : row.fields) size += field.size();
  return kJsonKeys.total + 6 * size + 2 * kColumnCount + 2;
}

char* writeJsonLine(const RecordRow& row, char* to) {
  for (size_t column = 0; column < kColumnCount; ++column) {
    to = copy(kJsonKeys.keys[column], to);
    if (column == kLineColumn) {
      to = copy(row.fields[column], to);
      continue;
    }
    to = row.plain[column] ? copy(row.fields[column], to) : writeJsonString(row.fields[column], to);
    *to++ = '"';
  }
  *to++ = '}';
  *to++ = '\n';
  return to;
}

void appendJsonObject(const std::string_view* keys, const std::string_view* values, size_t count,
                      std::string* out) {
  for (size_t i = 0; i < count; ++i) {
    size_t at = out->size();
    out->resize(at + keys[i].size() + 6 * values[i].size() + 12);
    char* to = out->data() + at;
    *to++ = i == 0 ? '{' : ',';
    *to++ = '"';
    to = writeJsonString(keys[i], to);
    *to++ = '"';
    *to++ = ':';
    *to++ = '"';
    to = writeJsonString(values[i], to);
    *to++ = '"';
    out->resize(static_cast<size_t>(to - out->data()));
  }
  out->append("}\n");
}

}  // namespace survey
