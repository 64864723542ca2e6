// UTF-8 and UTF-16 conversion in pieces, and the rules of text typed at a console.
#include "platform/unicode_text.h"

#include "platform/utf8.h"

namespace survey {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char16_t kCtrlZ = 0x1A;

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUtf8(char32_t code, std::string* utf8) {
  if (code < 0x80) {
    utf8->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    utf8->push_back(static_cast<char>(0xC0 | (code >> 6)));
    utf8->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    utf8->push_back(static_cast<char>(0xE0 | (code >> 12)));
    utf8->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    utf8->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    utf8->push_back(static_cast<char>(0xF0 | (code >> 18)));
    utf8->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    utf8->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    utf8->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

void Utf16ToUtf8::convert(std::u16string_view units, std::string* utf8) {
  for (char16_t unit : units) {
    if (waitingHigh_ != 0) {
      char16_t high = waitingHigh_;
      waitingHigh_ = 0;
      if (isLowSurrogate(unit)) {
        appendUtf8(0x10000 + ((char32_t{high} - 0xD800) << 10) + (unit - 0xDC00), utf8);
        continue;
      }
      appendUtf8(kReplacement, utf8);
    }
    if (isHighSurrogate(unit)) {
      waitingHigh_ = unit;
    } else {
      appendUtf8(isLowSurrogate(unit) ? kReplacement : char32_t{unit}, utf8);
    }
  }
}

void Utf16ToUtf8::finish(std::string* utf8) {
  if (waitingHigh_ != 0) appendUtf8(kReplacement, utf8);
  waitingHigh_ = 0;
}

void Utf8ToUtf16::emit(char32_t code, std::u16string* units) {
  if (code < 0x10000) {
    units->push_back(static_cast<char16_t>(code));
  } else {
    units->push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
    units->push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
  }
}

void Utf8ToUtf16::replacePart(std::u16string* units) {
  if (legacy_.size() != 128) {
    emit(kReplacement, units);
  } else {
    for (int i = 0; i < partSize_; ++i) units->push_back(legacy_[part_[i] - 0x80]);
  }
  partSize_ = 0;
  missing_ = 0;
}

void Utf8ToUtf16::convert(std::string_view bytes, std::u16string* units) {
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (missing_ > 0) {
      if (byte >= low_ && byte <= high_) {
        part_[partSize_++] = byte;
        code_ = (code_ << 6) | (byte & 0x3F);
        low_ = 0x80;
        high_ = 0xBF;
        if (--missing_ == 0) {
          emit(code_, units);
          partSize_ = 0;
        }
        continue;
      }
      // The character is cut short: its part so far is replaced, and this byte starts afresh.
      replacePart(units);
    }
    const Utf8Lead lead = utf8Lead(byte);
    if (lead.continuations == 0) {
      emit(byte, units);
      continue;
    }
    part_[0] = byte;
    partSize_ = 1;
    if (lead.continuations < 0) {
      replacePart(units);  // a stray continuation byte, or one never used in UTF-8
      continue;
    }
    code_ = lead.bits;
    missing_ = lead.continuations;
    low_ = lead.low;
    high_ = lead.high;
  }
}

void Utf8ToUtf16::finish(std::u16string* units) {
  if (missing_ > 0) replacePart(units);
}

std::u16string toUtf16(std::string_view utf8) {
  std::u16string units;
  units.reserve(utf8.size());
  Utf8ToUtf16 converter;
  converter.convert(utf8, &units);
  converter.finish(&units);
  return units;
}

std::string toUtf8(std::u16string_view utf16) {
  std::string utf8;
  utf8.reserve(utf16.size() * 3);
  Utf16ToUtf8 converter;
  converter.convert(utf16, &utf8);
  converter.finish(&utf8);
  return utf8;
}

bool TypedText::take(std::u16string_view read, std::string* utf8) {
  if (read.empty()) return true;
  if (atLineStart_ && read.front() == kCtrlZ) return false;
  std::u16string_view rest = read;
  if (waitingCr_) {
    waitingCr_ = false;
    if (rest.front() != u'\n') converter_.convert(u"\r", utf8);
  }
  // Each CR LF becomes LF; a CR at the very end waits to see what follows it.
  while (!rest.empty()) {
    size_t cr = rest.find(u'\r');
    if (cr == std::u16string_view::npos) {
      converter_.convert(rest, utf8);
      break;
    }
    converter_.convert(rest.substr(0, cr), utf8);
    if (cr + 1 == rest.size()) {
      waitingCr_ = true;
      break;
    }
    if (rest[cr + 1] != u'\n') converter_.convert(u"\r", utf8);
    rest.remove_prefix(cr + 1);
  }
  atLineStart_ = !waitingCr_ && read.back() == u'\n';
  return true;
}

}  // namespace survey
