// Code pages through the C library's iconv.
#include <iconv.h>

#include <cstdint>

#include "platform/code_page.h"

namespace survey {
namespace {

class IconvCodePage : public CodePage {
 public:
  explicit IconvCodePage(iconv_t descriptor) : descriptor_(descriptor) {}
  ~IconvCodePage() override { iconv_close(descriptor_); }
  IconvCodePage(const IconvCodePage&) = delete;
  IconvCodePage& operator=(const IconvCodePage&) = delete;

  bool toUtf8(std::string_view bytes, std::string* out) override {
    const size_t kept = out->size();
    // A byte of a single-byte code page is at most four bytes of UTF-8.
    out->resize(kept + 4 * bytes.size());
    char* from = const_cast<char*>(bytes.data());
    size_t left = bytes.size();
    char* to = out->data() + kept;
    size_t room = out->size() - kept;
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    bool converted = iconv(descriptor_, &from, &left, &to, &room) != static_cast<size_t>(-1) &&
                     iconv(descriptor_, nullptr, nullptr, &to, &room) != static_cast<size_t>(-1);
    out->resize(converted ? out->size() - room : kept);
    return converted;
  }

 private:
  iconv_t descriptor_;
};

}  // namespace

std::unique_ptr<CodePage> openCodePage(const std::string& name) {
  iconv_t descriptor = iconv_open("UTF-8", name.c_str());
  // iconv_open fails with (iconv_t)-1; every pointer bit set is the same value.
  if (reinterpret_cast<intptr_t>(descriptor) == -1) return nullptr;
  return std::make_unique<IconvCodePage>(descriptor);
}

}  // namespace survey
