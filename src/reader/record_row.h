// One exported record: the columns of the table, in order, and a row of their values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace survey {

// "file" and "line" locate the record; "recordId" is its identity (record_id.h); "runDate"
// (YYYY-MM-DD) and "runTime" (HH:MM, 24-hour clock) are the program's start time that the record
// carries; then the typed answers by their field names; then A and S + A as the record shows them.
inline constexpr std::string_view kColumnNames[] = {
    "file",
    "line",
    "recordId",
    "runDate",
    "runTime",
    "entryDate",
    "entryTime",
    "firstName",
    "surname",
    "placeOfBirth",
    "dateOfBirth",
    "ageNowText",
    "learningCenter",
    "centerStreet",
    "coordinatorName",
    "nearbyBusiness",
    "productivityCompany",
    "maintenanceCompany",
    "zonalLibrary",
    "libraryFee",
    "shoppingCenter",
    "nearestSchool",
    "stateOrCity",
    "touristPlace",
    "tribalLanguage",
    "country",
    "anotherYearAge",
    "sameAgePlusAnotherYearAge",
};
inline constexpr size_t kColumnCount = std::size(kColumnNames);
// The end of the columns a record's identity covers, from runDate on: a column added later goes
// after them and stays out, so that identities already stored keep meaning the same records.
inline constexpr size_t kIdentityColumnsEnd = 28;
static_assert(kIdentityColumnsEnd <= kColumnCount, "the identity covers columns that exist");

// The columns the record does not hold as such.
enum FixedColumn : size_t {
  kFileColumn,
  kLineColumn,
  kRecordIdColumn,
  kRunDateColumn,
  kRunTimeColumn
};

// Every value as text: the line number in decimal digits, the identity in hexadecimal, the rest
// as the record has them; `recordId` is the identity as a number.
// `plain` marks values known to hold no control character, double quote, comma or backslash,
// which the writers then copy as they are.
struct RecordRow {
  std::string_view fields[kColumnCount];
  bool plain[kColumnCount] = {};
  uint64_t recordId = 0;
};

}  // namespace survey
