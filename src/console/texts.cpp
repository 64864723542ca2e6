// The shared texts, and the contact details (fictional: example addresses and 555 numbers).
#include "console/texts.h"

namespace survey {
namespace {

std::string rule(bool blankBefore, char fill, size_t count, bool blankAfter) {
  return std::string(blankBefore ? " " : "") + std::string(count, fill) + (blankAfter ? " " : "");
}

const ContactTexts kContactTexts = {
    /*contactName=*/"Amara N. Okafor-Lindqvist",
    /*noticeText=*/"(c) Copyright 2026",
    /*postalAddress=*/"P.O. Box 4471, 12 Meadow Lane, Fernbrook, EX 00421",
    /*emailAddress=*/"community.survey@example.org",
    /*phoneNumber=*/"+1 555-0142",
    /*greetingTag=*/"Fernbrook Green Survey",
    /*defaultLocation1=*/"88 Riverside Walk, Fernbrook, EX 00421",
    /*defaultLocation2=*/"5 Orchard Court, Millhaven, EX 00517",
    /*affiliationTag=*/"Fernbrook Community Trust",
    /*secondAffiliationTag=*/"Millhaven Field Office",
    /*signatureTag=*/"ANO",
    /*creditSite=*/"survey.example.org",
    /*creditCollaborator=*/"Tomas Wren(Millhaven Institute Of Ecology)",
    /*creditPhone=*/"+1 555-0187",
    /*departmentName=*/"Department Of Environmental Studies",
};

struct NamedRule {
  std::string_view name;
  const std::string* text;
};

}  // namespace

const std::string RuleEquals = rule(true, '=', 95, true);
const std::string RuleDashShort = rule(true, '-', 81, true);
const std::string RuleDashMenu = rule(false, '-', 83, true);
const std::string RulePlus = rule(false, '+', 84, true);
const std::string RuleStarsExit = rule(false, '*', 102, true);
const std::string RuleDashWide = rule(true, '-', 118, false);
const std::string RuleDots = rule(true, '.', 107, false);
const std::string RuleStarsWide = rule(true, '*', 118, false);
const std::string RuleDash117 = rule(false, '-', 117, false);
const std::string RuleDash119 = rule(false, '-', 119, false);

const char* const monthNames[12] = {"January",   "February", "March",    "April",
                                    "May",       "June",     "July",     "August",
                                    "September", "October",  "November", "December"};

bool lookupContactText(std::string_view name, std::string* text) {
  static const struct {
    std::string_view name;
    std::string_view ContactTexts::*field;
  } kFields[] = {
      {"contactName", &ContactTexts::contactName},
      {"noticeText", &ContactTexts::noticeText},
      {"postalAddress", &ContactTexts::postalAddress},
      {"emailAddress", &ContactTexts::emailAddress},
      {"phoneNumber", &ContactTexts::phoneNumber},
      {"greetingTag", &ContactTexts::greetingTag},
      {"defaultLocation1", &ContactTexts::defaultLocation1},
      {"defaultLocation2", &ContactTexts::defaultLocation2},
      {"affiliationTag", &ContactTexts::affiliationTag},
      {"secondAffiliationTag", &ContactTexts::secondAffiliationTag},
      {"signatureTag", &ContactTexts::signatureTag},
      {"creditSite", &ContactTexts::creditSite},
      {"creditCollaborator", &ContactTexts::creditCollaborator},
      {"creditPhone", &ContactTexts::creditPhone},
      {"departmentName", &ContactTexts::departmentName},
  };
  for (const auto& field : kFields) {
    if (field.name == name) {
      text->assign(kContactTexts.*field.field);
      return true;
    }
  }
  return false;
}

bool lookupRule(std::string_view name, std::string* text) {
  static const NamedRule kRules[] = {
      {"RuleEquals", &RuleEquals},       {"RuleDashShort", &RuleDashShort},
      {"RuleDashMenu", &RuleDashMenu},   {"RulePlus", &RulePlus},
      {"RuleStarsExit", &RuleStarsExit}, {"RuleDashWide", &RuleDashWide},
      {"RuleDots", &RuleDots},           {"RuleStarsWide", &RuleStarsWide},
      {"RuleDash117", &RuleDash117},     {"RuleDash119", &RuleDash119},
  };
  for (const NamedRule& rule : kRules) {
    if (rule.name == name) {
      text->assign(*rule.text);
      return true;
    }
  }
  return false;
}

}  // namespace survey
