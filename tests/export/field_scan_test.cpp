// The word-at-a-time scans and compares against their byte-at-a-time meaning.
#include "export/field_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "export/short_bytes.h"

namespace survey {
namespace {

// What scanField must give: the class table applied a byte at a time.
FieldScan scanByBytes(std::string_view bytes, size_t from) {
  FieldScan scan{from, 0};
  for (; scan.end < bytes.size(); ++scan.end) {
    unsigned char byteClass = kByteClasses[bytes[scan.end]];
    if (byteClass & kEndsField) break;
    scan.classes |= byteClass;
  }
  return scan;
}

// Every byte value at every place of a word and of the bytes after the last whole word,
// alone in a field of letters, and followed by each kind of byte.
TEST(FieldScan, FindsWhatTheClassTableSaysForEveryByteAnywhere) {
  for (int value = 0; value < 256; ++value) {
    for (size_t length : {size_t{1}, size_t{7}, size_t{8}, size_t{9}, size_t{16}, size_t{21}}) {
      for (size_t place = 0; place < length; ++place) {
        for (char after : {'x', ' ', '\n', '"', '\xC3'}) {
          std::string bytes(length, 'a');
          bytes[place] = static_cast<char>(value);
          if (place + 1 < length) bytes[place + 1] = after;
          for (size_t from : {size_t{0}, size_t{1}}) {
            if (from > place) continue;
            FieldScan expected = scanByBytes(bytes, from);
            FieldScan scan = scanField(bytes, from);
            EXPECT_EQ(scan.end, expected.end) << value << " at " << place << " of " << length;
            EXPECT_EQ(scan.classes, expected.classes)
                << value << " at " << place << " of " << length;
          }
        }
      }
    }
  }
}

// Each view ends inside a word, in a buffer of its own size, so that the sanitizer build
// catches any read past it.
TEST(FieldScan, StopsAtTheEndOfItsBytes) {
  const std::string text = "Ada-Lovelace-Byron and more";
  for (size_t size = 0; size <= 18; ++size) {
    std::unique_ptr<char[]> exact(new char[size]);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size), exact.get());
    FieldScan scan = scanField(std::string_view(exact.get(), size), 0);
    EXPECT_EQ(scan.end, size);
    EXPECT_EQ(scan.classes, 0) << size;
  }
}

// Sizes across every way the compare and the copy take their words, with one byte changed
// at each place in turn.
TEST(ShortBytes, ComparesAndCopiesEverySizeAndPlace) {
  std::string base;
  for (int i = 0; i < 200; ++i) base.push_back(static_cast<char>('!' + i % 90));
  for (size_t size = 0; size <= 150; ++size) {
    std::string same = base.substr(0, size);
    EXPECT_TRUE(sameBytes(base.data(), same.data(), size)) << size;
    for (size_t place = 0; place < size; ++place) {
      std::string other = same;
      other[place] ^= 0x20;
      EXPECT_FALSE(sameBytes(base.data(), other.data(), size)) << size << " at " << place;
    }
    std::string target(size + 2, '#');
    char* end = copyBytes(base.data(), size, target.data() + 1);
    EXPECT_EQ(end, target.data() + 1 + size);
    EXPECT_EQ(target, "#" + same + "#") << size;
  }
}

}  // namespace
}  // namespace survey
