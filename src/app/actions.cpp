// The menu's actions: the questionnaire with its record, the listing's screen and the guides.
#include "app/actions.h"

#include "guides/guide_screens.h"
#include "questionnaire/questionnaire.h"
#include "questionnaire/summary.h"
#include "records/record_file.h"
#include "records/record_listing.h"
#include "records/record_store.h"
#include "records/record_writer.h"

namespace survey {
namespace {

// The notices of the record file's saves and listings.
constexpr const char* kCannotSave = "cannot save the record to ";
constexpr const char* kRecordFollows =
    "; the run goes on and will end with status 1; the record follows";
constexpr const char* kBusy = " is busy (";
constexpr const char* kWaiting = "); waiting for it";
constexpr const char* kTakenOut =
    "a record that a stopped save left unfinished could not be completed (";
constexpr const char* kTakenOutOf = ") and was taken out of ";
constexpr const char* kItFollows = "; it follows";
constexpr const char* kRewritten =
    "a record that a stopped save left damaged (its bytes lost) was written again to ";
constexpr const char* kNoJournal = "cannot keep ";
constexpr const char* kUnlocked =
    "); records are saved without it, so other programs saving at once may mix theirs in";
constexpr const char* kWithoutSafeguard =
    "); records are saved under the file's lock alone, without the safeguard against a stopped "
    "save";

// A record on standard error, shown as the listing shows it, so that it cannot drive the
// terminal and nothing typed is lost.
void attachRecord(Session& session, std::string_view record) {
  ListingFilter filter;
  session.notices().attach(filter.filter(record));
}

// The store's reports as notices.
class SessionReports : public StoreReports {
 public:
  explicit SessionReports(Session& session) : session_(session) {}
  void waiting(const std::string& path, const Status& busy) override {
    session_.notice(path + kBusy + busy.reason() + kWaiting);
  }
  void recordTakenOut(const std::string& path, const Status& why,
                      std::string_view record) override {
    session_.notice(kTakenOut + why.reason() + kTakenOutOf + path + kItFollows);
    attachRecord(session_, record);
  }
  void recordRewritten(const std::string& path, std::string_view record) override {
    session_.notice(kRewritten + path + kItFollows);
    attachRecord(session_, record);
  }
  void safeguardLost(const std::string& journalPath, const Status& why) override {
    session_.notice(kNoJournal + journalPath + " (" + why.reason() + kWithoutSafeguard);
  }
  void locksMissing(const std::string& path, const Status& why) override {
    session_.notice(path + " cannot be locked (" + why.reason() + kUnlocked);
  }

 private:
  Session& session_;
};

}  // namespace

Flow runQuestionnaireAction(Session& session) {
  if (!askQuestionnaire(session.console(), session.answers)) {
    session.notice("the input ended before the questionnaire was complete; nothing was saved");
    session.markFailed();
    return Flow::kInputEnded;
  }
  const Review review = reviewAnswers(session.console(), session.answers);
  if (review == Review::kInputEnded) {
    session.notice("the input ended before the questionnaire was complete; nothing was saved");
    session.markFailed();
    return Flow::kInputEnded;
  }
  if (review == Review::kDiscard) {
    session.notice("the questionnaire was discarded; nothing was shown or saved");
    return Flow::kContinue;
  }
  showSummary(session.stream(), session.answers);
  const std::string record = buildRecord(answerLookup(session.answers), session.startClock());
  SessionReports reports(session);
  Status saved =
      appendRecord(session.files(), kRecordFileName, record, reports, session.storeMemory);
  if (!saved.ok()) {
    session.notice(kCannotSave + std::string(kRecordFileName) + ": " + saved.reason() +
                   kRecordFollows);
    attachRecord(session, record);
    session.markFailed();
  }
  return Flow::kContinue;
}

Flow runListingAction(Session& session) {
  SessionReports reports(session);
  ListingOutcome listing = listRecords(session.files(), session.stream(), reports);
  if (!listing.opened.ok()) {
    session.notice(std::string("cannot open ") + kRecordFileName + ": " + listing.opened.reason());
    session.stream().write("Cannot open file.");
    return Flow::kAbort;
  }
  if (!listing.read.ok()) {
    session.notice(std::string("reading ") + kRecordFileName + " failed: " + listing.read.reason() +
                   "; the listing stops there");
    session.markFailed();
  }
  return Flow::kContinue;
}

Flow runUsageGuide(Session& session) {
  showUsageGuide(session.stream());
  return Flow::kContinue;
}

Flow runRetrievalGuide(Session& session) {
  if (!askRetrievalChoice(session.console(), &session.guideChoice)) return Flow::kInputEnded;
  Flow flow = Flow::kContinue;
  if (session.guideChoice == 1) flow = runQuestionnaireAction(session);
  if (flow == Flow::kContinue && session.guideChoice == 2) flow = runListingAction(session);
  return flow;
}

Flow runClearScreen(Session& session) {
  clearScreenOption(session.stream(), session.terminal(), session.notices());
  return Flow::kContinue;
}

}  // namespace survey
