// Text in a legacy code page (CP437, CP850, CP1252 and whatever else the system knows) as UTF-8.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace survey {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // Appends `bytes` as UTF-8 to `out`; false, with `out` as it was, when a byte has no character
  // in the code page.
  virtual bool toUtf8(std::string_view bytes, std::string* out) = 0;
};

// The code page named `name` ("cp850", "CP1252", "windows-1252", "ibm437"; case does not
// matter), or null when the system does not know it.
std::unique_ptr<CodePage> openCodePage(const std::string& name);

}  // namespace survey
