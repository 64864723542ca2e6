// Expanding "{name}" fields in fixed lines.
#include "console/template.h"

#include <vector>

namespace survey {

void renderLine(std::string_view line, const FieldLookup& lookup, std::string* out) {
  std::string text;
  while (!line.empty()) {
    size_t open = line.find('{');
    size_t close = open == std::string_view::npos ? open : line.find('}', open);
    if (close == std::string_view::npos) break;
    out->append(line.substr(0, open));
    std::string_view name = line.substr(open + 1, close - open - 1);
    text.clear();
    if (lookup(name, &text)) {
      out->append(text);
    } else {
      out->append(line.substr(open, close - open + 1));
    }
    line.remove_prefix(close + 1);
  }
  out->append(line);
}

FieldLookup chainLookups(std::vector<FieldLookup> lookups) {
  return [lookups = std::move(lookups)](std::string_view name, std::string* text) {
    for (const FieldLookup& lookup : lookups) {
      if (lookup(name, text)) return true;
    }
    return false;
  };
}

}  // namespace survey
