// The three sites: clean records drawn from small lists, then each kind of problem put into
// chosen records, every one noted with the finding it should give.
#include "site_maker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <type_traits>

#include "console/start_clock.h"
#include "records/record_writer.h"

namespace survey {
namespace {

// A small generator of its own, so that the data set is the same on every system.
class Draw {
 public:
  explicit Draw(uint64_t seed) : state_(seed) {}
  size_t below(size_t count) {
    state_ = state_ * 6364136223846793005U + 1442695040888963407U;
    return static_cast<size_t>((state_ >> 33) % count);
  }
  template <typename T, size_t N>
  const T& pick(const T (&from)[N]) {
    return from[below(N)];
  }

 private:
  uint64_t state_;
};

constexpr const char* kFirstNames[] = {"Ada",    "Bola",    "Chidi", "Ngozi", "Emeka",
                                       "Fatima", "Ibrahim", "Amina", "Tunde", "Kemi"};
constexpr const char* kSurnames[] = {"Okafor", "Adeyemi", "Bello",   "Eze",
                                     "Musa",   "Okonkwo", "Danjuma", "Balogun"};
constexpr const char* kPlaces[] = {"Lagos", "Kano", "Ibadan", "Enugu", "Jos", "Kaduna"};
constexpr const char* kCentres[] = {"Market-Library", "Town-Hall", "River-School", "Green-Centre"};
constexpr const char* kStreets[] = {"Broad-Street", "Marina", "Allen-Avenue", "Ring-Road"};
constexpr const char* kBusinesses[] = {"Bakery", "Tailor", "Pharmacy", "Printing"};
constexpr const char* kStates[] = {"Lagos", "Kano", "Oyo", "Enugu", "Plateau"};
constexpr const char* kTouristPlaces[] = {"Obudu", "Yankari", "Olumo-Rock", "Zuma-Rock"};
// Spellings of one answer as people type them: the first the most common.
constexpr const char* kHausa[] = {"Hausa", "Hausa", "Hausa", "HAUSA", "hausa"};
constexpr const char* kYoruba[] = {"Yoruba", "Yoruba", "Yor\xC3\xB9\x62\xC3\xA1", "YORUBA"};
constexpr const char* kIgbo[] = {"Igbo", "Igbo", "IGBO"};
constexpr const char* kNigeria[] = {"Nigeria", "Nigeria", "Nigeria",       "Nigeria",
                                    "NIGERIA", "nigeria", "Nig\xC3\xA9ria"};
// Answers that stand for none, as the missing-like count knows them.
constexpr const char* kMissing[] = {"NA", "N/A", "None", "-", "n/a", "none"};

constexpr int kFirstDay = 2;  // the campaign: 2 to 27 November 2026
constexpr int kDays = 26;

std::string twoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// The run of the record at `index` of `count`: the days advance through the file.
LocalTime runTimeOf(size_t index, size_t count) {
  const int day = kFirstDay + static_cast<int>(index * kDays / count);
  return LocalTime{day, 10, 126, 8 + static_cast<int>(index % 9), static_cast<int>(index * 7 % 60)};
}

SurveyAnswers cleanAnswers(Draw& draw, const LocalTime& run, const std::string& coordinator) {
  SurveyAnswers a;
  a.firstName = draw.pick(kFirstNames);
  a.surname = draw.pick(kSurnames);
  a.placeOfBirth = draw.pick(kPlaces);
  const int age = 18 + static_cast<int>(draw.below(60));
  a.dateOfBirth = twoDigits(1 + static_cast<int>(draw.below(28))) + "-" +
                  twoDigits(1 + static_cast<int>(draw.below(12))) + "-" +
                  std::to_string(2026 - age - 1);
  a.ageNowText = std::to_string(age);
  a.sameAge = age;
  a.anotherYearAge = 1 + static_cast<double>(draw.below(20));
  a.learningCenter = draw.pick(kCentres);
  a.centerStreet = draw.pick(kStreets);
  a.coordinatorName = coordinator;
  a.nearbyBusiness = draw.pick(kBusinesses);
  a.productivityCompany = draw.pick(kBusinesses);
  a.maintenanceCompany = draw.pick(kBusinesses);
  a.zonalLibrary = draw.pick(kCentres);
  a.libraryFee = "N" + std::to_string(100 + 50 * draw.below(10));
  a.shoppingCenter = draw.pick(kCentres);
  a.nearestSchool = draw.pick(kCentres);
  a.entryDate = std::to_string(run.yearsSince1900 + 1900) + "-" + twoDigits(run.month + 1) + "-" +
                twoDigits(run.dayOfMonth);
  a.entryTime = twoDigits(run.hour) + ":" + twoDigits(run.minute);
  a.stateOrCity = draw.pick(kStates);
  a.touristPlace = draw.pick(kTouristPlaces);
  switch (draw.below(4)) {
    case 0:
      a.tribalLanguage = draw.pick(kHausa);
      break;
    case 1:
      a.tribalLanguage = draw.pick(kYoruba);
      break;
    case 2:
      a.tribalLanguage = draw.pick(kIgbo);
      break;
    default:
      a.tribalLanguage = "Tiv";
  }
  a.country = draw.below(10) == 0 ? "Ghana" : draw.pick(kNigeria);
  // Some answers left as none.
  if (draw.below(12) == 0) a.zonalLibrary = draw.pick(kMissing);
  if (draw.below(15) == 0) a.touristPlace = draw.pick(kMissing);
  if (draw.below(20) == 0) a.stateOrCity = draw.pick(kMissing);
  return a;
}

// Builds one site, the records then the problems, and notes each problem's finding.
class SiteBuilder {
 public:
  SiteBuilder(std::string name, size_t count, uint64_t seed, const std::string& coordinator)
      : draw_(seed) {
    file_.name = std::move(name);
    for (size_t index = 0; index < count; ++index) {
      const LocalTime run = runTimeOf(index, count);
      file_.records.push_back({cleanAnswers(draw_, run, coordinator), run});
    }
    planned_.assign(count, false);
  }

  // The answers of record `index`, changed by `change`, with the finding it should give.
  // `change` may return the column of the finding, when it depends on the change.
  template <typename Change>
  void plant(size_t index, const char* column, const char* rule, Change change) {
    take(index);
    if constexpr (std::is_same_v<decltype(change(file_.records[index])), void>) {
      change(file_.records[index]);
    } else {
      column = change(file_.records[index]);
    }
    findings_.push_back({index, column, rule});
  }
  size_t size() const { return file_.records.size(); }
  // The first record at `from` or after (round to the second) with no problem planted yet.
  size_t nextFree(size_t from) const {
    for (size_t index = std::max<size_t>(from, 1);; index = index + 1 < size() ? index + 1 : 1) {
      if (!planned_[index]) return index;
    }
  }
  // Record `index` made the same form as `source`, typed again on its own, later run.
  void retype(size_t index, const SiteRecord& source) {
    take(index);
    file_.records[index].answers = source.answers;
    findings_.push_back({index, "recordId", "retyped"});
  }
  const SiteRecord& record(size_t index) {
    take(index);  // kept clean: a copy of it must give no other finding
    return file_.records[index];
  }
  // A copy of record `index` saved again right after it: the same record twice.
  void duplicateAfter(size_t index) {
    take(index);
    duplicates_.push_back(index);
  }

  void finish(SiteData* data) {
    // The copies go in from the back, so that the indexes before them stay.
    std::vector<size_t> shift(file_.records.size() + 1, 0);
    for (size_t index : duplicates_) ++shift[index + 1];
    for (size_t index = 1; index < shift.size(); ++index) shift[index] += shift[index - 1];
    std::vector<SiteRecord> records;
    for (size_t index = 0; index < file_.records.size(); ++index) {
      records.push_back(file_.records[index]);
      for (size_t copy : duplicates_) {
        if (copy != index) continue;
        records.push_back(file_.records[index]);
        data->planted.push_back(
            {file_.name, lineOf(index + shift[index] + 1), "recordId", "duplicate"});
      }
    }
    for (const auto& finding : findings_) {
      data->planted.push_back(
          {file_.name, lineOf(finding.index + shift[finding.index]), finding.column, finding.rule});
    }
    file_.records = std::move(records);
    data->files.push_back(std::move(file_));
  }

  SiteFile& file() { return file_; }

 private:
  struct Planned {
    size_t index;
    std::string column, rule;
  };
  static uint64_t lineOf(size_t position) { return 1 + kLinesPerRecord * position; }
  // Each record carries one problem at most, so that each gives the findings noted and no more.
  void take(size_t index) {
    if (planned_.at(index)) {
      std::fprintf(stderr, "site maker: record %zu of %s planted twice\n", index,
                   file_.name.c_str());
      std::abort();
    }
    planned_[index] = true;
  }

  Draw draw_;
  SiteFile file_;
  std::vector<bool> planned_;
  std::vector<Planned> findings_;
  std::vector<size_t> duplicates_;
};

using Sites = std::vector<SiteBuilder*>;

// Plants `count` problems spread evenly over the sites' records, from the `offset`th on, each on
// a record of its own past the first of its file (a run date compares with the records above).
// `change(record, k)` makes the kth; it returns the column of the finding, or nothing to use
// `column`.
template <typename Change>
void spread(const Sites& sites, size_t count, size_t offset, const char* column, const char* rule,
            Change change) {
  size_t total = 0;
  for (SiteBuilder* site : sites) total += site->size();
  for (size_t k = 0; k < count; ++k) {
    size_t at = (offset + k * total / count) % total;
    size_t site = 0;
    while (at >= sites[site]->size()) at -= sites[site++]->size();
    const size_t index = sites[site]->nextFree(at);
    sites[site]->plant(index, column, rule, [&](SiteRecord& record) {
      if constexpr (std::is_same_v<decltype(change(record, k)), void>) {
        change(record, k);
        return column;
      } else {
        return change(record, k);
      }
    });
  }
}

}  // namespace

std::string SiteFile::text() const {
  std::string text = windows ? "\xEF\xBB\xBF" : "";
  for (const SiteRecord& record : records) {
    const std::string lines = buildRecord(
        answerLookup(record.answers), StartClock{record.runTime, formatTimeLine(record.runTime)});
    for (char c : lines) {
      if (c == '\n' && windows) text += '\r';
      text += c;
    }
  }
  return text;
}

SiteData makeSites() {
  SiteData data;
  data.filesChanged = LocalTime{30, 10, 126, 12, 0};  // 30 November 2026, noon
  SiteBuilder north("north/datas.dat", 994, 1, "Ada-Mensah");
  SiteBuilder south("south/datas.dat", 904, 2, "Musa-Bello");
  SiteBuilder east("east/datas.dat", 746, 3, "Ngozi-Eze");
  const Sites sites = {&north, &south, &east};

  // The same record twice: a form saved again, a file copied into another.
  north.duplicateAfter(100);
  north.duplicateAfter(500);
  south.duplicateAfter(300);
  east.duplicateAfter(20);
  east.duplicateAfter(700);
  // Paper forms typed twice, on different runs: within a site and across sites.
  for (size_t index : {40, 160, 280, 400, 520, 640, 760}) {
    north.retype(index + 17, north.record(index));
  }
  for (size_t index : {50, 250, 450, 650, 850}) south.retype(index + 9, south.record(index));
  for (size_t index : {60, 360, 660}) east.retype(index + 5, north.record(index + 3));
  for (size_t index : {120, 420}) east.retype(index + 5, south.record(index + 3));
  // A laptop's clock reset to 1980; a run after the files were last changed, at the end of
  // its file (a later record would be found as before it).
  east.plant(400, "runDate", "run-date", [](SiteRecord& r) { r.runTime.yearsSince1900 = 80; });
  south.plant(903, "runDate", "run-date", [](SiteRecord& r) {
    r.runTime = LocalTime{15, 11, 126, 10, 0};  // 15 December 2026
  });

  // Two-word answers that shifted: the second word in the date of birth, AM/PM after a time.
  constexpr const char* kSplitPlaces[][2] = {
      {"Port", "Harcourt"}, {"Benin", "City"}, {"Ile", "Ife"}};
  spread(sites, 80, 7, "dateOfBirth", "shifted", [&](SiteRecord& r, size_t k) {
    r.answers.placeOfBirth = kSplitPlaces[k % 3][0];
    r.answers.dateOfBirth = kSplitPlaces[k % 3][1];
  });
  spread(sites, 3, 11, "firstName", "shifted", [](SiteRecord& r, size_t /*k*/) {
    r.answers.entryTime = "09:30";
    r.answers.firstName = "PM";
  });
  // "36,5" typed for the same age, read as 0; and same ages a year off.
  spread(sites, 119, 13, "ageNowText", "age-mismatch",
         [](SiteRecord& r, size_t /*k*/) { r.answers.sameAge = 0; });
  spread(sites, 102, 17, "ageNowText", "age-mismatch",
         [](SiteRecord& r, size_t /*k*/) { r.answers.sameAge = r.answers.sameAge + 1; });
  // Typed ages that are not whole numbers.
  constexpr const char* kNotNumbers[] = {"36,5", "thirty", "4O", "36yrs", "40.5"};
  spread(sites, 213, 19, "ageNowText", "not-a-number",
         [&](SiteRecord& r, size_t k) { r.answers.ageNowText = kNotNumbers[k % 5]; });
  // A laptop's wrong clock: 2019 among 2026.
  spread(sites, 81, 23, "runDate", "run-date",
         [](SiteRecord& r, size_t /*k*/) { r.runTime.yearsSince1900 = 119; });
  // Letters a console could not type, as ? or U+FFFD.
  spread(sites, 147, 29, "", "replaced-letter", [](SiteRecord& r, size_t k) {
    switch (k % 4) {
      case 0:
        r.answers.firstName = "Jos?";
        return "firstName";
      case 1:
        r.answers.surname = "Ad?kunle";
        return "surname";
      case 2:
        r.answers.firstName = "Chukwuem?ka";
        return "firstName";
      default:
        r.answers.coordinatorName = "Ng\xEF\xBF\xBDzi-Eze";
        return "coordinatorName";
    }
  });
  // Dates no common form reads.
  spread(sites, 8, 31, "dateOfBirth", "not-a-date", [](SiteRecord& r, size_t k) {
    r.answers.dateOfBirth = k % 2 ? "31-02-1990" : "1990/13/45";
  });
  spread(sites, 4, 37, "entryDate", "not-a-date",
         [](SiteRecord& r, size_t /*k*/) { r.answers.entryDate = "2026-11-31"; });
  // José in its two Unicode forms: decomposed (not NFC, found) and composed (clean).
  spread(sites, 20, 41, "firstName", "unnormalised",
         [](SiteRecord& r, size_t /*k*/) { r.answers.firstName = "Jose\xCC\x81"; });
  spread(sites, 30, 43, "firstName", "",
         [](SiteRecord& r, size_t /*k*/) { r.answers.firstName = "Jos\xC3\xA9"; });

  north.finish(&data);
  south.finish(&data);
  east.file().windows = true;
  east.finish(&data);
  // The composed José gives no finding: only planted problems are listed.
  std::vector<PlantedFinding> findings;
  for (PlantedFinding& finding : data.planted) {
    if (!finding.rule.empty()) findings.push_back(std::move(finding));
  }
  data.planted = std::move(findings);
  return data;
}

}  // namespace survey
