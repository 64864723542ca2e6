// The well-formed UTF-8 byte sequences (RFC 3629).
#include "platform/utf8.h"

namespace survey {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0u) == 0x80u; }

// Whether the `count` bytes at `text[at]` are the continuation bytes `lead` asks for.
bool continuationsFit(std::string_view text, size_t at, size_t count, const Utf8Lead& lead) {
  for (size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(text[at + i]);
    const unsigned char low = i == 0 ? lead.low : 0x80;
    const unsigned char high = i == 0 ? lead.high : 0xBF;
    if (byte < low || byte > high) return false;
  }
  return true;
}

}  // namespace

Utf8Lead utf8Lead(unsigned char byte) {
  Utf8Lead lead;
  if (byte < 0x80) {
    lead.continuations = 0;
    lead.bits = byte;
  } else if (byte >= 0xC2 && byte <= 0xDF) {
    lead.continuations = 1;
    lead.bits = byte & 0x1Fu;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    lead.continuations = 2;
    lead.bits = byte & 0x0Fu;
    if (byte == 0xE0) lead.low = 0xA0;   // shorter forms are overlong
    if (byte == 0xED) lead.high = 0x9F;  // U+D800 to U+DFFF are surrogates
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    lead.continuations = 3;
    lead.bits = byte & 0x07u;
    if (byte == 0xF0) lead.low = 0x90;   // overlong
    if (byte == 0xF4) lead.high = 0x8F;  // beyond U+10FFFF
  }
  return lead;
}

size_t utf8SequenceLength(std::string_view text, size_t at) {
  const Utf8Lead lead = utf8Lead(static_cast<unsigned char>(text[at]));
  if (lead.continuations < 0) return 0;
  const auto continuations = static_cast<size_t>(lead.continuations);
  if (text.size() - at - 1 < continuations) return 0;
  return continuationsFit(text, at + 1, continuations, lead) ? continuations + 1 : 0;
}

bool isValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t length = utf8SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

size_t wholeCharactersLength(std::string_view text) {
  // A character cut short is a lead byte and fewer continuation bytes after it than its bit
  // pattern announces (C0 to DF one, E0 to EF two, F0 to F7 three), well-formed or not: a
  // long word keeps no start of a character whose other bytes were cut off.
  size_t start = text.size();
  while (start > 0 && text.size() - start < 3 &&
         isContinuation(static_cast<unsigned char>(text[start - 1]))) {
    --start;
  }
  if (start == 0) return text.size();
  const auto lead = static_cast<unsigned char>(text[start - 1]);
  const size_t announced = lead >= 0xF8   ? 0
                           : lead >= 0xF0 ? 3
                           : lead >= 0xE0 ? 2
                           : lead >= 0xC0 ? 1
                                          : 0;
  return announced > text.size() - start ? start - 1 : text.size();
}

}  // namespace survey
