// A CSV export read back into a table, for tests that look at values rather than bytes.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace survey::testing {

using Table = std::vector<std::map<std::string, std::string>>;

// RFC 4180: a header row, then records; every row ends with CRLF; a field in double quotes
// may hold commas, CR, LF and doubled double quotes.
inline Table decodeCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows(1);
  size_t at = 0;
  while (at < text.size()) {
    std::string field;
    if (text[at] == '"') {
      for (++at; at < text.size(); ++at) {
        if (text[at] == '"' && (at + 1 == text.size() || text[at + 1] != '"')) break;
        if (text[at] == '"') ++at;
        field.push_back(text[at]);
      }
      ++at;
    } else {
      while (at < text.size() && text[at] != ',' && text[at] != '\r') field.push_back(text[at++]);
    }
    rows.back().push_back(field);
    if (text.substr(at, 1) == ",") {
      ++at;
    } else {
      EXPECT_EQ(text.substr(at, 2), "\r\n") << "at byte " << at;
      at += 2;
      rows.emplace_back();
    }
  }
  rows.pop_back();
  Table table;
  for (size_t row = 1; row < rows.size(); ++row) {
    EXPECT_EQ(rows[row].size(), rows[0].size());
    table.emplace_back();
    for (size_t column = 0; column < rows[row].size(); ++column) {
      table.back()[rows[0][column]] = rows[row][column];
    }
  }
  return table;
}

}  // namespace survey::testing
