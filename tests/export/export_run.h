// survey-export run in-process on files given by content, and its JSON Lines read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "export/csv_table.h"
#include "export/exporter.h"
#include "export/sample_records.h"
#include "platform/unicode_text.h"
#include "support/fakes.h"

namespace survey::testing {

struct Exported {
  int status;
  std::string out, err;
};

// A coordinator's tool (runExport, runReport) run on files given by name and content.
inline Exported runOnFiles(int (*program)(Env&, const std::vector<std::string>&),
                           const std::vector<std::pair<std::string, std::string>>& files,
                           const std::vector<std::string>& args) {
  FakeEnv env("");
  for (const auto& [name, content] : files) env.memoryFiles().files[name] = content;
  const int status = program(env, args);
  return {status, env.fakeOutput().text, env.fakeErrors().text};
}

inline Exported exportFiles(const std::vector<std::pair<std::string, std::string>>& files,
                            const std::vector<std::string>& args) {
  return runOnFiles(runExport, files, args);
}

// JSON Lines of flat objects whose values are strings or whole numbers (kept as their digits).
inline Table decodeJsonLines(std::string_view text) {
  Table table;
  size_t at = 0;
  auto expectByte = [&](char c) {
    EXPECT_EQ(text.substr(at, 1), std::string(1, c)) << "at byte " << at;
    ++at;
  };
  auto string = [&] {
    std::string value;
    expectByte('"');
    while (at < text.size() && text[at] != '"') {
      if (text[at] != '\\') {
        value.push_back(text[at++]);
        continue;
      }
      const char escaped = text[at + 1];
      at += 2;
      const std::string simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
      if (escaped != 'u') {
        value.push_back(meaning[simple.find(escaped)]);
        continue;
      }
      // \uXXXX, a surrogate pair as two of them.
      std::u16string units(
          1, static_cast<char16_t>(std::stoul(std::string(text.substr(at, 4)), nullptr, 16)));
      at += 4;
      if (units[0] >= 0xD800 && units[0] < 0xDC00 && text.substr(at, 2) == "\\u") {
        units +=
            static_cast<char16_t>(std::stoul(std::string(text.substr(at + 2, 4)), nullptr, 16));
        at += 6;
      }
      value += toUtf8(units);
    }
    expectByte('"');
    return value;
  };
  while (at < text.size()) {
    table.emplace_back();
    expectByte('{');
    while (at < text.size() && text[at] != '}') {
      std::string key = string();
      expectByte(':');
      if (text[at] == '"') {
        table.back()[key] = string();
      } else {
        const size_t end = text.find_first_not_of("0123456789", at);
        table.back()[key] = std::string(text.substr(at, end - at));
        at = end;
      }
      if (text[at] == ',') ++at;
    }
    expectByte('}');
    expectByte('\n');
  }
  return table;
}

}  // namespace survey::testing
