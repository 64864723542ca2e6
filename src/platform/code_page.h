// Text in a legacy single-byte code page (CP437, CP850, CP1252 and the like) as UTF-8, the
// same on every system: each byte is converted on its own, and a byte that some system leaves
// without a character has none on any.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace survey {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // Appends `bytes` as UTF-8 to `out`; false, with `out` as it was, when a byte has no character
  // in the code page.
  virtual bool toUtf8(std::string_view bytes, std::string* out) = 0;
};

// The code page named `name` ("cp850", "CP1252", "windows-1252", "ibm437" or "850"; case does
// not matter), or null when it is not one of the single-byte code pages this program reads.
std::unique_ptr<CodePage> openCodePage(const std::string& name);

// The numbers of the code pages openCodePage opens, in ascending order.
const std::vector<unsigned>& knownCodePages();

// Each byte of a code page as UTF-8; empty for a byte without a character.
using ByteTable = std::array<std::string, 256>;

// The system's character for each byte of code page `number` (implemented by each platform
// file); false when the system does not know the code page.
bool systemByteTable(unsigned number, ByteTable* table);

}  // namespace survey
