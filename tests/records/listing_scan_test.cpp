// The listing's scan and filter against a byte-at-a-time reference, with the file cut into
// pieces at every place, since the fast paths work on whole blocks and vectors.
#include "records/listing_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/run_driver.h"
#include "records/record_listing.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

// What the listing shows for a whole file, one byte at a time.
std::string referenceListing(const std::string& file) {
  std::string out;
  for (size_t i = 0; i < file.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(file[i]);
    if (c == '\r' && (i + 1 == file.size() || file[i + 1] == '\n')) continue;
    unsigned char after = i + 1 < file.size() ? static_cast<unsigned char>(file[i + 1]) : 0;
    if (c == 0xc2 && after >= 0x80 && after <= 0x9f) {
      static const char kHex[] = "0123456789ABCDEF";
      out += std::string("<U+00") + kHex[after >> 4] + kHex[after & 0xf] + ">";
      ++i;
    } else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7f) {
      out += '^';
      out += c == 0x7f ? '?' : static_cast<char>(c + 64);
    } else {
      out += static_cast<char>(c);
    }
  }
  if (!file.empty() && file.back() != '\n') out += '\n';
  out += '\n';
  return out;
}

TEST(ListingScan, EveryByteValueAtEveryOffsetOfAVectorIsClassified) {
  for (int value = 0; value < 256; ++value) {
    // 0xC2 may begin a C1 control, which the byte after it tells.
    const bool attention =
        (value < 0x20 && value != '\n' && value != '\t') || value == 0x7f || value == 0xc2;
    for (size_t size : {1u, 31u, 64u, 200u, 300u}) {
      for (size_t at = 0; at < size; ++at) {
        std::string text(size, 'a');
        text[at] = static_cast<char>(value);
        ASSERT_EQ(findAttentionByte(text.data(), text.size()), attention ? at : size)
            << "byte " << value << " at " << at << " of " << size;
      }
    }
  }
}

TEST(ListingScan, FindsTheFirstOfSeveralAndIgnoresTextAfterTheEnd) {
  std::string text(400, 'x');
  text[150] = '\x1b';
  text[151] = '\r';
  text[390] = '\x7f';
  EXPECT_EQ(findAttentionByte(text.data(), text.size()), 150u);
  EXPECT_EQ(findAttentionByte(text.data() + 151, 249), 0u);
  EXPECT_EQ(findAttentionByte(text.data() + 152, 238), 238u);  // the DEL lies past the end
  EXPECT_EQ(findAttentionByte(text.data(), 0), 0u);
}

// The copy of the text that shows unchanged, but for carriage returns before line feeds.
TEST(ListingScan, CopiesShownTextUpToTheFirstByteThatNeedsMore) {
  std::mt19937 random(6);
  for (size_t size = 0; size < 10000; size += 1 + size / 16) {
    std::string text(size, 'c');
    for (char& c : text) {
      // Mostly printable; lines ended both ways, a rare DEL or lone carriage return.
      // Mostly printable; lines ended both ways, a rare DEL or lone carriage return, C1
      // controls and other characters of the same lead byte.
      int kind = static_cast<int>(random() % 40);
      c = kind == 0   ? '\n'
          : kind == 1 ? '\r'
          : kind == 2 ? '\xc2'
          : kind == 3 ? static_cast<char>(0x80 + random() % 0x40)
                      : static_cast<char>(0x20 + random() % 0x60);
    }
    for (size_t at = 0; at + 1 < size; at += 1 + random() % 90) {
      text[at] = '\r';
      text[at + 1] = '\n';
    }
    size_t expectedTaken = 0;
    std::string expectedOut;
    while (expectedTaken < size) {
      unsigned char c = static_cast<unsigned char>(text[expectedTaken]);
      bool dropped = c == '\r' && expectedTaken + 1 < size && text[expectedTaken + 1] == '\n';
      unsigned char after =
          expectedTaken + 1 < size ? static_cast<unsigned char>(text[expectedTaken + 1]) : 0;
      bool plainLead = c == 0xc2 && expectedTaken + 1 < size && (after < 0x80 || after > 0x9f);
      if (!dropped && !plainLead && needsAttention(c)) break;
      if (!dropped) expectedOut += static_cast<char>(c);
      ++expectedTaken;
    }
    std::string out(size, '\0');
    size_t written = 0;
    ASSERT_EQ(copyShownText(text.data(), size, out.data(), &written), expectedTaken)
        << "size " << size;
    ASSERT_EQ(out.substr(0, written), expectedOut) << "size " << size;
  }
}

TEST(ListingFilter, RandomFilesCutAtRandomPlacesMatchTheReference) {
  std::mt19937 random(6);
  const std::string alphabet =
      std::string("ab \t\n\n\r\r\x1b\x7f\x80\xff\xc2\xc2\x9b\x9f\xa0", 17) + '\0';
  for (int round = 0; round < 300; ++round) {
    std::string file(std::uniform_int_distribution<size_t>(0, 600)(random), 'x');
    for (char& c : file) {
      // Mostly plain text, so the vector paths see long clean runs too.
      if (random() % 8 == 0) c = alphabet[random() % alphabet.size()];
    }
    ListingFilter filter;
    std::string out;
    for (size_t at = 0; at < file.size();) {
      size_t piece = std::uniform_int_distribution<size_t>(1, 200)(random);
      out.append(filter.filter(std::string_view(file).substr(at, piece)));
      at += piece;
    }
    filter.finish(&out);
    ASSERT_EQ(out, referenceListing(file)) << "round " << round;
  }
}

TEST(ListingFilter, CleanTextIsPassedOnWithoutACopy) {
  ListingFilter filter;
  const std::string block = "plain\ttext\n\xc3\xa9\n";
  std::string_view shown = filter.filter(block);
  EXPECT_EQ(shown.data(), block.data());
  EXPECT_EQ(shown.size(), block.size());
}

// A large listing through a whole session: the exact transcript, in block-sized writes
// rather than one per line, however the file system hands out the file.
TEST(ListingFilter, ALargeFileIsListedWholeInLargeWrites) {
  std::string file;
  for (int i = 0; file.size() < (3u << 20); ++i) {
    file +=
        " Candidate Name :: Ada Okafor " + std::to_string(i) + (i % 1000 == 0 ? "\x1b\r\n" : "\n");
  }
  for (size_t chunk : {size_t{4096}, size_t{1} << 20}) {
    FakeEnv env("1\n2\n-1\n");
    env.memoryFiles().files["datas.dat"] = file;
    env.memoryFiles().readChunk = chunk;
    EXPECT_EQ(runSurvey(env), 0);
    EXPECT_SAME_TEXT(env.fakeOutput().text,
                     session(numberPrompt() + menu(1) + referenceListing(file) + runCountBanner(1)))
        << "read chunk " << chunk;
    EXPECT_LE(env.fakeOutput().writes, static_cast<int>(file.size() / 4096 + 16));
  }
}

}  // namespace
}  // namespace survey::testing
