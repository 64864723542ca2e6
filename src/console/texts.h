// The screen furniture shared by every screen: rule lines, month names and contact texts.
#pragma once

#include <string>
#include <string_view>

namespace survey {

// Rule lines, each written as one line; their lengths are part of the text.
extern const std::string RuleEquals;     // blank, 95 '=', blank
extern const std::string RuleDashShort;  // blank, 81 '-', blank
extern const std::string RuleDashMenu;   // 83 '-', blank
extern const std::string RulePlus;       // 84 '+', blank
extern const std::string RuleStarsExit;  // 102 '*', blank
extern const std::string RuleDashWide;   // blank, 118 '-'
extern const std::string RuleDots;       // blank, 107 '.'
extern const std::string RuleStarsWide;  // blank, 118 '*'
extern const std::string RuleDash117;    // 117 '-'
extern const std::string RuleDash119;    // 119 '-'

// "January" to "December", indexed by the month 0 to 11.
extern const char* const monthNames[12];

// The fixed contact details shown by the banners and the credits closing every record.
struct ContactTexts {
  std::string_view contactName;
  std::string_view noticeText;
  std::string_view postalAddress;
  std::string_view emailAddress;
  std::string_view phoneNumber;
  std::string_view greetingTag;
  std::string_view defaultLocation1;
  std::string_view defaultLocation2;
  std::string_view affiliationTag;
  std::string_view secondAffiliationTag;
  std::string_view signatureTag;
  std::string_view creditSite;
  std::string_view creditCollaborator;
  std::string_view creditPhone;
  std::string_view departmentName;
};

// Field lookups for line templates: "{contactName}" and the like, "{RuleDots}" and the like.
bool lookupContactText(std::string_view name, std::string* text);
bool lookupRule(std::string_view name, std::string* text);

}  // namespace survey
