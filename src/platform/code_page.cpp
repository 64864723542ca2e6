// The code pages survey-export reads, and the bytes that have no character in them.
#include "platform/code_page.h"

#include <algorithm>
#include <cctype>

namespace survey {
namespace {

// A code page and its bytes without a character on some system. Where one system gives such a
// byte a character (Windows reads 0x81 of code page 1252 as U+0081) and another refuses it,
// it is refused everywhere, so that a record file exports alike on both.
struct KnownPage {
  unsigned number;
  std::string_view undefined;
};

constexpr KnownPage kPages[] = {
    {437, ""},
    {737, ""},
    {775, ""},
    {850, ""},
    {852, ""},
    {855, ""},
    {857, "\xD5\xE7\xF2"},
    {860, ""},
    {861, ""},
    {862, ""},
    {863, ""},
    {865, ""},
    {866, ""},
    {869, "\x80\x81\x82\x83\x84\x85\x87\x93\x94"},
    {874,
     "\x81\x82\x83\x84\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x98\x99\x9A\x9B\x9C\x9D"
     "\x9E\x9F\xDB\xDC\xDD\xDE\xFC\xFD\xFE\xFF"},
    {1250, "\x81\x83\x88\x90\x98"},
    {1251, "\x98"},
    {1252, "\x81\x8D\x8F\x90\x9D"},
    {1253, "\x81\x88\x8A\x8C\x8D\x8E\x8F\x90\x98\x9A\x9C\x9D\x9E\x9F\xAA\xD2\xFF"},
    {1254, "\x81\x8D\x8E\x8F\x90\x9D\x9E"},
    {1255,
     "\x81\x8A\x8C\x8D\x8E\x8F\x90\x9A\x9C\x9D\x9E\x9F\xCA\xD9\xDA\xDB\xDC\xDD\xDE\xDF"
     "\xFB\xFC\xFF"},
    {1256, ""},
    {1257, "\x81\x83\x88\x8A\x8C\x90\x98\x9A\x9C\x9F\xA1\xA5"},
    {1258, "\x81\x8A\x8D\x8E\x8F\x90\x9A\x9D\x9E"},
};

const KnownPage* findPage(unsigned number) {
  for (const KnownPage& page : kPages) {
    if (page.number == number) return &page;
  }
  return nullptr;
}

// "cp850", "windows-1252", "ibm437" or the bare number; 0 for anything else.
unsigned codePageNumber(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string_view digits = name;
  for (std::string_view prefix : {"cp", "windows-", "ibm"}) {
    if (digits.substr(0, prefix.size()) == prefix) digits.remove_prefix(prefix.size());
  }
  if (digits.empty() || digits.size() > 5) return 0;
  unsigned number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  return number;
}

// Byte by byte through a table: no system's composing of accents, no state between bytes.
class TableCodePage : public CodePage {
 public:
  explicit TableCodePage(const ByteTable& table) : table_(table) {}

  bool toUtf8(std::string_view bytes, std::string* out) override {
    const size_t kept = out->size();
    for (char byte : bytes) {
      const std::string& character = table_[static_cast<unsigned char>(byte)];
      if (character.empty()) {
        out->resize(kept);
        return false;
      }
      out->append(character);
    }
    return true;
  }

 private:
  ByteTable table_;
};

}  // namespace

const std::vector<unsigned>& knownCodePages() {
  static const std::vector<unsigned> numbers = [] {
    std::vector<unsigned> all;
    for (const KnownPage& page : kPages) all.push_back(page.number);
    return all;
  }();
  return numbers;
}

std::unique_ptr<CodePage> openCodePage(const std::string& name) {
  const KnownPage* page = findPage(codePageNumber(name));
  ByteTable table;
  if (page == nullptr || !systemByteTable(page->number, &table)) return nullptr;
  for (char byte : page->undefined) table[static_cast<unsigned char>(byte)].clear();
  return std::make_unique<TableCodePage>(table);
}

}  // namespace survey
