// Writing rows as CSV and as JSON Lines. A row is sized first and then written in place.
#include "export/row_writers.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "export/utf8.h"

namespace survey {
namespace {

char* copy(std::string_view text, char* to) { return std::copy(text.begin(), text.end(), to); }

bool needsQuotes(std::string_view value) {
  bool needed = false;
  for (char c : value) needed |= c == ',' || c == '"' || c == '\r' || c == '\n';
  return needed;
}

// At most 2 * size + 2 bytes.
char* writeCsvField(std::string_view value, char* to) {
  if (!needsQuotes(value)) return copy(value, to);
  *to++ = '"';
  for (char c : value) {
    *to++ = c;
    if (c == '"') *to++ = '"';
  }
  *to++ = '"';
  return to;
}

// At most 6 * size + 2 bytes.
char* writeJsonString(std::string_view value, char* to) {
  static const char kHex[] = "0123456789abcdef";
  *to++ = '"';
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
  to = copy(value.substr(plainFrom), to);
  *to++ = '"';
  return to;
}

// Each column's key as it opens its member: {"file": ,"line": ,"runDate": and so on.
struct JsonKeys {
  JsonKeys() {
    for (size_t column = 0; column < kColumnCount; ++column) {
      keys[column] = (column == 0 ? "{\"" : ",\"") + std::string(kColumnNames[column]) + "\":";
    }
  }
  std::string keys[kColumnCount];
};

const JsonKeys& jsonKeys() {
  static const JsonKeys keys;
  return keys;
}

}  // namespace

void appendCsvHeader(std::string* out) {
  for (size_t column = 0; column < kColumnCount; ++column) {
    if (column > 0) out->push_back(',');
    out->append(kColumnNames[column]);
  }
  out->append("\r\n");
}

size_t csvRowBound(const ExportRow& row) {
  size_t bound = 2;
  for (std::string_view field : row.fields) bound += 2 * field.size() + 3;
  return bound;
}

char* writeCsvRow(const ExportRow& row, char* to) {
  for (size_t column = 0; column < kColumnCount; ++column) {
    if (column > 0) *to++ = ',';
    to = row.plain[column] ? copy(row.fields[column], to) : writeCsvField(row.fields[column], to);
  }
  *to++ = '\r';
  *to++ = '\n';
  return to;
}

size_t jsonLineBound(const ExportRow& row) {
  size_t bound = 2;
  for (size_t column = 0; column < kColumnCount; ++column) {
    bound += jsonKeys().keys[column].size() + 6 * row.fields[column].size() + 2;
  }
  return bound;
}

char* writeJsonLine(const ExportRow& row, char* to) {
  const JsonKeys& keys = jsonKeys();
  for (size_t column = 0; column < kColumnCount; ++column) {
    to = copy(keys.keys[column], to);
    if (column == kLineColumn) {
      to = copy(row.fields[column], to);
    } else if (row.plain[column]) {
      *to++ = '"';
      to = copy(row.fields[column], to);
      *to++ = '"';
    } else {
      to = writeJsonString(row.fields[column], to);
    }
  }
  *to++ = '}';
  *to++ = '\n';
  return to;
}

}  // namespace survey
