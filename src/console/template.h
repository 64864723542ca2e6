// Screen and record lines written as text with named fields: "Name :: {firstName}".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace survey {

// Gives the text of a named field, or false when the name is unknown.
using FieldLookup = std::function<bool(std::string_view name, std::string* text)>;

// Appends `line` to `out` with every "{name}" replaced by its field's text. Braces that do not
// enclose a known name stay as they are; field texts are never expanded again.
void renderLine(std::string_view line, const FieldLookup& lookup, std::string* out);

// Tries each lookup in turn.
FieldLookup chainLookups(std::vector<FieldLookup> lookups);

}  // namespace survey
