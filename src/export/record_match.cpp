// Matching bytes against a pattern, taking the fields' values, and handing out whole records.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

#include "console/input_reader.h"
#include "export/field_scan.h"
#include "export/field_values.h"
#include "export/record_parser.h"
#include "export/record_patterns.h"
#include "export/short_bytes.h"
#include "export/utf8.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define SURVEY_MATCH_AVX2 1
#endif

namespace survey {
namespace {

#ifdef SURVEY_MATCH_AVX2

__attribute__((target("avx2"))) inline __m256i load32(const char* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// sameBytes for 32 bytes and more, 32 at a time with one test at the end.
__attribute__((target("avx2"))) bool sameLongBytesAvx2(const char* a, const char* b, size_t size) {
  __m256i differ = _mm256_xor_si256(load32(a + size - 32), load32(b + size - 32));
  for (size_t at = 0; at + 32 < size; at += 32) {
    differ = _mm256_or_si256(differ, _mm256_xor_si256(load32(a + at), load32(b + at)));
  }
  return _mm256_testz_si256(differ, differ) != 0;
}

const bool kHasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));

#endif

// The fixed texts between fields, with AVX2 where the processor has it.
inline bool sameFixedText(const char* a, const char* b, size_t size) {
#ifdef SURVEY_MATCH_AVX2
  if (size >= 32 && kHasAvx2) return sameLongBytesAvx2(a, b, size);
#endif
  return sameBytes(a, b, size);
}

// Writes `value` with at least `width` digits, zeros in front; returns the end.
char* writePadded(int value, int width, char* to) {
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (int pad = width - static_cast<int>(end - digits); pad > 0; --pad) *to++ = '0';
  return std::copy(digits, end, to);
}

}  // namespace

// Matches the pattern at the start of `bytes`, which may go on past it; `*length` is then the
// length matched.
RecordParser::Fault RecordParser::match(const TextPattern& pattern, std::string_view bytes,
                                        size_t* length) {
  size_t at = 0;
  auto expect = [&bytes, &at](const std::string& text) {
    if (text.size() <= bytes.size() - at) {
      if (!sameFixedText(bytes.data() + at, text.data(), text.size())) return Fault::kLayout;
      at += text.size();
      return Fault::kNone;
    }
    size_t available = bytes.size() - at;
    if (std::memcmp(bytes.data() + at, text.data(), available) != 0) return Fault::kLayout;
    return Fault::kIncomplete;
  };
  Fault fault = expect(pattern.head);
  if (fault != Fault::kNone) return fault;
  for (const TextPattern::Segment& segment : pattern.segments) {
    // A field shown before in the record (a figure on several lines): its text again, then the
    // first byte after it. Anything else takes the way below, which says what is wrong.
    const bool shownBefore = seen(segment.field);
    if (shownBefore) {
      std::string_view known = fieldTexts_[segment.field];
      if (known.size() < bytes.size() - at &&
          sameBytes(bytes.data() + at, known.data(), known.size()) &&
          bytes[at + known.size()] == segment.tail[0]) {
        at += known.size();
        fault = expect(segment.tail);
        if (fault != Fault::kNone) return fault;
        continue;
      }
    }
    // A field ends at the first byte that it cannot hold (white space, or anything but a digit
    // in the day and the year), which must begin the text after it; the time line has a fixed
    // length.
    FieldKind kind = segment.kind;
    size_t end = at;
    unsigned char classes = 0;
    if (kind == FieldKind::kTimeLine) {
      end += patterns_.timeLineLength;
      if (end > bytes.size()) return Fault::kIncomplete;
    } else {
      if (kind == FieldKind::kDay || kind == FieldKind::kYear) {
        while (end < bytes.size() && isDigit(bytes[end])) ++end;
      } else {
        FieldScan scan = scanField(bytes, at);
        end = scan.end;
        classes = scan.classes;
      }
      if (end == bytes.size()) return Fault::kIncomplete;
      if (bytes[end] != segment.tail[0]) {
        return kind == FieldKind::kWord     ? Fault::kNotAWord
               : kind == FieldKind::kFigure ? Fault::kFigure
                                            : Fault::kClock;
      }
    }
    std::string_view value(bytes.data() + at, end - at);
    bool ascii = !(classes & kNotAscii);
    if (kind == FieldKind::kWord && !shownBefore) {
      // The most common field, taken here.
      fault = checkWord(value, ascii);
      fieldTexts_[segment.field] = value;
      if (fault == Fault::kNone) markSeen(segment.field);
    } else {
      fault = takeField(segment.field, value, ascii);
    }
    fieldPlain_[segment.field] = !(classes & kNotPlain);
    if (fault != Fault::kNone) return fault;
    at = end;
    fault = expect(segment.tail);
    if (fault != Fault::kNone) return fault;
  }
  *length = at;
  return Fault::kNone;
}

RecordParser::Fault RecordParser::checkWord(std::string_view value, bool ascii) {
  if (value.empty()) return Fault::kNotAWord;
  if (value.size() > InputReader::kWordLimit) return Fault::kLongWord;
  if (!ascii && !isValidUtf8(value)) return Fault::kNotUtf8;
  return Fault::kNone;
}

template <typename Read>
bool RecordParser::readRemembered(std::string_view text, RememberedNumber* known, Read read,
                                  int* number) {
  // Only a text read well is kept, and none is empty.
  if (known->text.empty() || !sameText(text, known->text)) {
    int value = 0;
    if (!read(text, &value)) return false;
    known->text.assign(text);
    known->value = value;
  }
  *number = known->value;
  return true;
}

RecordParser::Fault RecordParser::takeField(size_t field, std::string_view value, bool ascii) {
  if (seen(field)) return sameText(value, fieldTexts_[field]) ? Fault::kNone : Fault::kRepeated;
  switch (patterns_.fields[field].kind) {
    case FieldKind::kWord: {
      Fault fault = checkWord(value, ascii);
      if (fault != Fault::kNone) return fault;
      break;
    }
    case FieldKind::kFigure:
      if (!isFormattedReal(value)) return Fault::kFigure;
      break;
    case FieldKind::kTimeLine: {
      // The prefix, "hh:mm AM" or "hh:mm PM", the suffix; the value has their length.
      auto readTime = [this](std::string_view text, int* minutes) {
        const std::string& prefix = patterns_.timePrefix;
        int hour = 0, minute = 0;
        if (text.substr(0, prefix.size()) != prefix ||
            text.substr(prefix.size() + 8) != patterns_.timeSuffix ||
            !parseTwelveHourTime(text.substr(prefix.size(), 8), &hour, &minute)) {
          return false;
        }
        *minutes = hour * 60 + minute;
        return true;
      };
      int minutes = 0;
      if (!readRemembered(value, &knownTime_, readTime, &minutes)) return Fault::kClock;
      hour_ = minutes / 60;
      minute_ = minutes % 60;
      break;
    }
    case FieldKind::kDay: {
      auto readDay = [](std::string_view text, int* day) {
        return parseWhole(text, day) && *day >= 1 && *day <= 31;
      };
      if (!readRemembered(value, &knownDay_, readDay, &day_)) return Fault::kClock;
      break;
    }
    case FieldKind::kMonthName: {
      auto readMonth = [this](std::string_view text, int* month) {
        const auto* names = patterns_.monthNames;
        *month = static_cast<int>(std::find(names, names + 12, text) - names);
        return *month < 12;
      };
      if (!readRemembered(value, &knownMonth_, readMonth, &month_)) return Fault::kClock;
      break;
    }
    case FieldKind::kYear:
      if (!readRemembered(value, &knownYear_, parseWhole, &year_)) return Fault::kClock;
      break;
  }
  fieldTexts_[field] = value;
  markSeen(field);
  return Fault::kNone;
}

void RecordParser::completeRecord() {
  state_ = State::kBetweenRecords;
  if (day_ > daysInMonth(month_, year_)) {
    uint64_t dateLine = firstLine_ + patterns_.dayLine;
    reportSkipped(firstLine_, lineNumber_,
                  "record skipped: line " + std::to_string(dateLine) + " (record line " +
                      std::to_string(patterns_.dayLine + 1) + ") " + faultText(Fault::kNoDate));
    return;
  }
  char lineText[24];
  char* lineEnd = std::to_chars(lineText, lineText + sizeof lineText, firstLine_).ptr;
  // Records of one run share its start time: the texts are made when it changes.
  RunClock clock{year_, month_, day_, hour_, minute_};
  if (!(clock == runClock_)) {
    runClock_ = clock;
    char* dateEnd = writePadded(year_, 4, runDate_);
    *dateEnd++ = '-';
    dateEnd = writePadded(month_ + 1, 2, dateEnd);
    *dateEnd++ = '-';
    runDateSize_ = static_cast<size_t>(writePadded(day_, 2, dateEnd) - runDate_);
    writePadded(hour_, 2, runTime_);
    runTime_[2] = ':';
    writePadded(minute_, 2, runTime_ + 3);
  }

  // The file, its plainness and the plainness of the line and the start time stay as the
  // constructor set them.
  ExportRow& row = row_;
  row.fields[kLineColumn] = std::string_view(lineText, static_cast<size_t>(lineEnd - lineText));
  row.fields[kRunDateColumn] = std::string_view(runDate_, runDateSize_);
  row.fields[kRunTimeColumn] = std::string_view(runTime_, sizeof runTime_);
  for (size_t column = kRunTimeColumn + 1; column < kColumnCount; ++column) {
    size_t field = static_cast<size_t>(patterns_.fieldOfColumn[column]);
    row.fields[column] = fieldTexts_[field];
    row.plain[column] = fieldPlain_[field];
  }
  sink_.record(row);
}

}  // namespace survey
