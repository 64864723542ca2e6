// Expected screens, transcribed line by line.
#include "support/expected_screens.h"

#include "console/texts.h"

namespace survey::testing {
namespace {

const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};

std::string blanks(size_t count) { return std::string(count, ' '); }

}  // namespace

std::string repeat(char c, size_t count) { return std::string(count, c); }

std::string expectedStartBlock(const LocalTime& time) {
  const ContactTexts& c = contactTexts();
  int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02d:%02d %s", hour12, time.minute,
                time.hour < 12 ? "AM" : "PM");
  std::string s = " \n";
  s += " -->" + blanks(21) + std::string(c.contactName) + " !!!\n";
  s += " -->" + blanks(21) + std::string(c.noticeText) + " !!!\n";
  s += " --> " + std::string(c.postalAddress) + "  !!!\n";
  s += " -->" + blanks(17) + "E.Mail Address Is :: " + std::string(c.emailAddress) + " !!!\n";
  s += " -->" + blanks(17) + "Current Phone Number Is :: " + std::string(c.phoneNumber) + " !!!\n";
  s += " -->" + blanks(15) + "Good Day To Everybody Around - [" + std::string(c.greetingTag) +
       "] !!!\n";
  s += " --> [Default 1]  " + std::string(c.defaultLocation1) + " !!!\n";
  s += " --> [Default 2]  " + std::string(c.defaultLocation2) + " !!!\n";
  s += " ----> The Time At Program's Run(Execution) Now Is :: " + std::string(clock) + ". \n";
  s += " ----> Today's date is " + std::to_string(time.dayOfMonth) + " " + kMonths[time.month] +
       "  " + std::to_string(time.yearsSince1900 + 1900) + "  . \n";
  s += " \n";
  s += " " + repeat('=', 95) + " \n";
  s += "  ----> In The Main Program Of X-Function(x) - Status :: = 24\n";
  return s;
}

std::string expectedNumberPrompt() {
  return " \n"
         "  --------> The Main Program(Application) Execution Mode And Values <--------\n"
         "\n"
         " ----> Enter A Number From(-1 to exit) Either To Continue Or Quit(Exit) The Program Now "
         ":: \n"
         " --> The '-1' Option(Value) Will Allow You To Exit(Quit) The Program Immediately :: \n" +
         (" " + repeat('=', 95) + " \n") + (" " + repeat('-', 81) + " \n");
}

std::string expectedMenu(int loopValue) {
  std::string v = std::to_string(loopValue);
  return "\n Here Is The Continuation And Execution Value(Mode) Of The Screen :: = " + v +
         "\n  ----> The In while Program(Looping Stage(s)) Is(Of) x = " + v + " \n" +
         repeat('-', 83) + " \n" + " \n \n" + repeat('-', 33) +
         " Option(s) For Program(s) Begin(s)" + repeat('-', 41) + " \n" + " \n" +
         " --> Enter Requested Option |--| [ Any Option From 1 To 5 ] Option(Selection) "
         "Requested :: \n"
         " --> Note That Option '5' Is Meant For(To) Clear(Screen Refresh) The Screen For A "
         "Clear View(Sight :: \n";
}

std::string expectedRunCountBanner(int count) {
  return " \n" + repeat('+', 84) + " \n" + ", Program is in execution mode " +
         std::to_string(count) + " times\n" + repeat('+', 84) + " \n";
}

std::string expectedExitBlock() {
  const ContactTexts& c = contactTexts();
  std::string s = " \n" + repeat('-', 83) + " \n";
  s += "\n General(Global) X-Function(x) - Status :: = 8\n";
  s += repeat('*', 102) + " \n";
  s += " \n";
  s += " -->" + blanks(27) + std::string(c.contactName) + " !!!\n";
  s += " -->" + blanks(27) + std::string(c.noticeText) + " !!!\n";
  s += " --> " + std::string(c.postalAddress) + "  !!!\n";
  s += " -->" + blanks(14) + "E.Mail Address Is :: " + std::string(c.emailAddress) + " !!!\n";
  s += " --> " + std::string(c.affiliationTag) +
       " :: Current Phone Number Is :: " + std::string(c.phoneNumber) + " |-| " +
       std::string(c.secondAffiliationTag) + " -> !!!\n";
  s += " --> [Default 2]  " + std::string(c.defaultLocation2) + ", U.S.A !!!\n";
  s += "\nPress any key to continue...\nPress any key to continue...";
  return s;
}

std::string expectedEmptyPasses(const LocalTime& time, const std::string& passes) {
  return expectedStartBlock(time) + passes + expectedNumberPrompt() + expectedExitBlock();
}

std::string expectedUsageGuideBanner() {
  const ContactTexts& c = contactTexts();
  return " -->" + blanks(31) + std::string(c.contactName) + " !!!\n" + " -->" + blanks(31) +
         std::string(c.noticeText) + " !!!\n" + " --> " + std::string(c.postalAddress) + "  !!!\n" +
         " -->" + blanks(23) + "E.Mail Address Is :: " + std::string(c.emailAddress) + " !!!\n" +
         " -->" + blanks(23) + "Current Phone Number Is :: " + std::string(c.phoneNumber) +
         " !!!\n" + " --> [Default 2]  " + std::string(c.defaultLocation2) + ", U.S.A !!!\n";
}

std::string expectedClearScreenHeading() {
  const ContactTexts& c = contactTexts();
  return " -->" + blanks(34) + std::string(c.contactName) + " - " + std::string(c.noticeText) +
         " !!!\n" + " -->" + blanks(31) + "An Environmental Friendly Application(Program) !!!\n";
}

std::string expectedClearScreenBanner() {
  const ContactTexts& c = contactTexts();
  return " -->" + blanks(27) + std::string(c.contactName) + " !!!\n" + " -->" + blanks(27) +
         std::string(c.noticeText) + " !!!\n" + " --> " + std::string(c.postalAddress) + "  !!!\n" +
         " -->" + blanks(14) + "E.Mail Address Is :: " + std::string(c.emailAddress) + " !!!\n" +
         " -->" + blanks(9) + std::string(c.affiliationTag) +
         " :: Current Phone Number Is :: " + std::string(c.phoneNumber) + " !!!\n" +
         " --> [Default 2]  " + std::string(c.defaultLocation2) + ", U.S.A !!!\n";
}

}  // namespace survey::testing
