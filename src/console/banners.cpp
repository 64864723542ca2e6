// The banner variants: contact texts in their fixed framing, printed directly.
#include "console/banners.h"

#include "console/template.h"
#include "console/texts.h"

namespace survey {

// Printed once at start.
const Banner startBanner = {
    " -->                     {contactName} !!!",
    " -->                     {noticeText} !!!",
    " --> {postalAddress}  !!!",
    " -->                 E.Mail Address Is :: {emailAddress} !!!",
    " -->                 Current Phone Number Is :: {phoneNumber} !!!",
    " -->               Good Day To Everybody Around - [{greetingTag}] !!!",
    " --> [Default 1]  {defaultLocation1} !!!",
    " --> [Default 2]  {defaultLocation2} !!!",
};

// Closes the usage guide.
const Banner usageGuideBanner = {
    " -->                               {contactName} !!!",
    " -->                               {noticeText} !!!",
    " --> {postalAddress}  !!!",
    " -->                       E.Mail Address Is :: {emailAddress} !!!",
    " -->                       Current Phone Number Is :: {phoneNumber} !!!",
    " --> [Default 2]  {defaultLocation2}, U.S.A !!!",
};

// The first lines after a clear screen.
const Banner clearScreenHeading = {
    " -->                                  {contactName} - {noticeText} !!!",
    " -->                               An Environmental Friendly Application(Program) !!!",
};

// Closes the clear-screen notice.
const Banner clearScreenBanner = {
    " -->                           {contactName} !!!",
    " -->                           {noticeText} !!!",
    " --> {postalAddress}  !!!",
    " -->              E.Mail Address Is :: {emailAddress} !!!",
    " -->         {affiliationTag} :: Current Phone Number Is :: {phoneNumber} !!!",
    " --> [Default 2]  {defaultLocation2}, U.S.A !!!",
};

// Printed once at exit.
const Banner closingBanner = {
    " -->                           {contactName} !!!",
    " -->                           {noticeText} !!!",
    " --> {postalAddress}  !!!",
    " -->              E.Mail Address Is :: {emailAddress} !!!",
    " --> {affiliationTag} :: Current Phone Number Is :: {phoneNumber} |-| {secondAffiliationTag} -> !!!",
    " --> [Default 2]  {defaultLocation2}, U.S.A !!!",
};

void printBanner(ConsoleStream& stream, const Banner& banner) {
  std::string text;
  for (std::string_view line : banner) {
    renderLine(line, lookupContactText, &text);
    text.push_back('\n');
  }
  stream.printDirect(text);
}

}  // namespace survey
