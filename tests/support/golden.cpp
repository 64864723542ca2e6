// Reading the golden transcripts and cutting screen pieces out of them by their lines.
#include "support/golden.h"

#include <fstream>
#include <sstream>

namespace survey::testing {
namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Lines [first, first + count) of `text`, each with its line end; to the end with npos.
std::string lines(const std::string& text, size_t first, size_t count = std::string::npos) {
  size_t begin = 0;
  for (size_t i = 0; i < first && begin != std::string::npos; ++i) {
    begin = text.find('\n', begin);
    if (begin != std::string::npos) ++begin;
  }
  if (begin == std::string::npos) return "";
  size_t end = begin;
  for (size_t i = 0; i < count && end != std::string::npos; ++i) {
    end = text.find('\n', end);
    if (end != std::string::npos) ++end;
  }
  return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// "exit-at-once" is the start block (14 lines), one number prompt (7) and the exit block;
// "options-without-screens" has, after the first number prompt, the menu of 1 (10 lines) and
// the run-count banner of 1 (4).
const std::string kExitAtOnce = "exit-at-once.out";
const std::string kTwoPasses = "options-without-screens.out";
constexpr size_t kStartLines = 14, kPromptLines = 7, kMenuLines = 10, kBannerLines = 4;

// The golden "questionnaire" case: its third line of keys holds the answers; its screen is a
// menu of 5, the prompts (24 lines), the summary, then the run-count banner.
const std::string kQuestionnaire = "questionnaire";
constexpr size_t kPromptsLines = 24;

std::string sampleScreen() {
  return lines(goldenScreen(kQuestionnaire + ".out"), kStartLines + kPromptLines + kMenuLines);
}

}  // namespace

std::string goldenFile(const std::string& name) {
  std::ifstream in(std::string(SURVEY_GOLDEN_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string goldenScreen(const std::string& name) {
  std::string text = goldenFile(name);
  replaceAll(text, "@TIME@", "09:05 PM");
  replaceAll(text, "@DAY@", "7");
  replaceAll(text, "@MONTH@", "December");
  replaceAll(text, "@YEAR@", "2026");
  replaceAll(text, "@CLEAR@", "\f");
  return text;
}

std::string startBlock() { return lines(goldenScreen(kExitAtOnce), 0, kStartLines); }

std::string numberPrompt() { return lines(goldenScreen(kExitAtOnce), kStartLines, kPromptLines); }

std::string exitBlock() { return lines(goldenScreen(kExitAtOnce), kStartLines + kPromptLines); }

std::string menu(int loopValue) {
  std::string text = lines(goldenScreen(kTwoPasses), kStartLines + kPromptLines, kMenuLines);
  const std::string value = std::to_string(loopValue);
  replaceAll(text, "= 1\n", "= " + value + "\n");    // the echo
  replaceAll(text, "= 1 \n", "= " + value + " \n");  // the loop's status line
  return text;
}

std::string runCountBanner(int count) {
  std::string text =
      lines(goldenScreen(kTwoPasses), kStartLines + kPromptLines + kMenuLines, kBannerLines);
  replaceAll(text, " 1 ", " " + std::to_string(count) + " ");
  return text;
}

std::string session(const std::string& passes) {
  return startBlock() + passes + numberPrompt() + exitBlock();
}

std::string sampleAnswers() {
  std::string answers = lines(goldenFile(kQuestionnaire + ".keys"), 2, 1);
  return answers.substr(0, answers.find('\n'));
}

std::string samplePrompts() { return lines(sampleScreen(), 0, kPromptsLines); }

std::string sampleSummary() {
  std::string rest = lines(sampleScreen(), kPromptsLines);
  return rest.substr(0, rest.size() - (runCountBanner(1) + numberPrompt() + exitBlock()).size());
}

std::string sampleRecord() { return goldenScreen(kQuestionnaire + ".dat"); }

}  // namespace survey::testing
