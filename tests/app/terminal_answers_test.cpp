// Answers typed at a terminal through a line editor: the carry-over check, the check before
// saving, guarded interrupts and the progress, each against what the same accepted answers
// give piped in.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/run_driver.h"
#include "support/fakes.h"
#include "support/golden.h"
#include "support/same_text.h"

namespace survey::testing {
namespace {

using Step = FakeLineEditor::Step;

Step line(const std::string& text) { return {LineRead::kLine, text}; }
Step key(const std::string& pressed) { return {LineRead::kLine, pressed}; }
const Step kCtrlC = {LineRead::kInterrupt, ""};
const Step kCtrlD = {LineRead::kEnd, ""};
const std::vector<Step> kSave = {line("")};  // Enter at the check

std::vector<std::string> answerWords() {
  std::istringstream in(sampleAnswers());
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// `words[from, to)` typed one per line.
std::vector<Step> typedWords(const std::vector<std::string>& words, size_t from = 0,
                             size_t to = std::string::npos) {
  std::vector<Step> steps;
  for (size_t i = from; i < std::min(to, words.size()); ++i) steps.push_back(line(words[i]));
  return steps;
}

std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// `words` with word `at` replaced by `by`.
std::vector<std::string> with(std::vector<std::string> words, size_t at, const std::string& by) {
  words[at] = by;
  return words;
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string errors;
  std::string record;
  bool saved = false;
};

Outcome outcomeOf(FakeEnv& env) {
  Outcome outcome;
  outcome.status = runSurvey(env);
  outcome.out = env.fakeOutput().text;
  outcome.errors = env.fakeErrors().text;
  outcome.record = env.recordFile();
  outcome.saved = env.recordFileExists();
  return outcome;
}

// The number 5, the questionnaire (option 1), `steps` from its first answer on, then -1.
Outcome typedRun(const std::vector<Step>& steps, FakeLineEditor** used = nullptr,
                 bool outputIsTerminal = false) {
  static std::vector<std::unique_ptr<FakeLineEditor>> editors;  // kept for `used`
  editors.push_back(std::make_unique<FakeLineEditor>(std::vector<Step>{line("5"), line("1")} +
                                                     steps + std::vector<Step>{line("-1")}));
  FakeEnv env("");
  env.fakeTerminal().inputIsConsole = true;
  env.fakeTerminal().isTerminal = outputIsTerminal;
  env.fakeTerminal().editor = editors.back().get();
  if (used != nullptr) *used = editors.back().get();
  return outcomeOf(env);
}

Outcome pipedRun(const std::string& keys) {
  FakeEnv env(keys);
  return outcomeOf(env);
}

struct Case {
  const char* name;
  std::vector<Step> typed;  // from the first answer on, the check before saving included
  std::string piped;        // what gives the same accepted answers piped in, after "5 1"
};

TEST(TerminalAnswers, StandardOutputAndTheRecordAreThoseOfTheAcceptedAnswersPipedIn) {
  const std::vector<std::string> words = answerWords();
  ASSERT_EQ(words.size(), 23u);
  const std::string all = joined(words);
  const std::vector<Case> cases = {
      {"Enter at the check saves", typedWords(words) + kSave, all + "\n-1\n"},
      {"two words joined with j",
       std::vector<Step>{line("Ana  Maria"), key("j")} + typedWords(words, 1) + kSave,
       joined(with(words, 0, "Ana-Maria")) + "\n-1\n"},
      {"two words joined with Enter",
       std::vector<Step>{line("Ana Maria"), key("")} + typedWords(words, 1) + kSave,
       joined(with(words, 0, "Ana-Maria")) + "\n-1\n"},
      {"the second word kept for the next question",
       std::vector<Step>{line("Ana Kowal"), key("k")} + typedWords(words, 2) + kSave,
       all + "\n-1\n"},
      {"two words typed again after a key that is no choice",
       std::vector<Step>{line("Ana Kowal"), key("?"), key("t"), line("Ana")} +
           typedWords(words, 1) + kSave,
       all + "\n-1\n"},
      {"a number with text glued to it typed again",
       typedWords(words, 0, 5) + std::vector<Step>{line("30,5"), key("t"), line("30")} +
           typedWords(words, 6) + kSave,
       all + "\n-1\n"},
      {"a number with text glued to it kept: the text answers the next question",
       typedWords(words, 0, 5) + std::vector<Step>{line("30,5"), key("k")} + typedWords(words, 7) +
           kSave,
       [&words] {
         std::vector<std::string> kept = with(words, 5, "30,5");
         kept.erase(kept.begin() + 6);  // ",5" answered the question of that word
         return joined(kept) + "\n-1\n";
       }()},
      {"a question asked again at the check",
       typedWords(words) + std::vector<Step>{line("3"), line("Lakeside"), line("")},
       joined(with(words, 2, "Lakeside")) + "\n-1\n"},
      {"a number out of the list at the check is asked again",
       typedWords(words) + std::vector<Step>{line("24"), line("x"), line("")}, all + "\n-1\n"},
      {"Ctrl+C then another key goes back to the question",
       typedWords(words, 0, 3) + std::vector<Step>{kCtrlC, key("x")} + typedWords(words, 3) + kSave,
       all + "\n-1\n"},
      {"Ctrl+D then another key goes back to the question",
       typedWords(words, 0, 3) + std::vector<Step>{kCtrlD, key("\r")} + typedWords(words, 3) +
           kSave,
       all + "\n-1\n"},
      {"Ctrl+C at the check then another key goes back to it",
       typedWords(words) + std::vector<Step>{kCtrlC, key("n"), line("")}, all + "\n-1\n"},
      {"Ctrl+D twice at a question ends the input there",
       typedWords(words, 0, 3) + std::vector<Step>{kCtrlD, kCtrlD},
       joined(std::vector<std::string>(words.begin(), words.begin() + 3))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLineEditor* editor = nullptr;
    const Outcome typed = typedRun(c.typed, &editor);
    const Outcome piped = pipedRun("5\n1\n" + c.piped);
    EXPECT_EQ(typed.status, piped.status);
    EXPECT_SAME_TEXT(typed.out, piped.out);
    EXPECT_EQ(typed.saved, piped.saved);
    EXPECT_SAME_TEXT(typed.record, piped.record);
    // Every step of the script was taken, and the last (-1) by the number prompt.
    EXPECT_EQ(editor->unused(), piped.status == 0 ? 0u : 1u);
  }
}

TEST(TerminalAnswers, AtTheCheckNothingIsShownOrSavedWhenDiscardedOrWhenTheInputEnds) {
  const std::vector<std::string> words = answerWords();
  const std::string asked = startBlock() + numberPrompt() + menu(5) + samplePrompts();
  const struct {
    const char* name;
    std::vector<Step> atTheCheck;
    int status;
    std::string out;
    const char* notice;
  } cases[] = {
      // The run goes on to the run-count banner, as after a saved questionnaire.
      {"q discards",
       {line(" q ")},
       0,
       asked + runCountBanner(1) + numberPrompt() + exitBlock(),
       "the questionnaire was discarded; nothing was shown or saved"},
      {"Ctrl+D twice ends the input",
       {kCtrlD, kCtrlD},
       1,
       asked + exitBlock(),
       "the input ended before the questionnaire was complete; nothing was saved"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome typed = typedRun(typedWords(words) + c.atTheCheck);
    EXPECT_EQ(typed.status, c.status);
    EXPECT_FALSE(typed.saved);
    EXPECT_NE(typed.errors.find(c.notice), std::string::npos) << typed.errors;
    EXPECT_SAME_TEXT(typed.out, c.out);
  }
}

TEST(TerminalAnswers, CtrlCTwiceEndsTheProgramSayingWhatIsLost) {
  const std::vector<std::string> words = answerWords();
  FakeLineEditor editor(std::vector<Step>{line("5"), line("1")} + typedWords(words, 0, 4) +
                        std::vector<Step>{kCtrlC, kCtrlC});
  FakeEnv env("");
  env.fakeTerminal().inputIsConsole = true;
  env.fakeTerminal().editor = &editor;
  EXPECT_THROW(runSurvey(env), FakeLineEditor::Interrupted);
  EXPECT_FALSE(env.recordFileExists());
  EXPECT_NE(editor.shown.find("4 answers given so far would be lost"), std::string::npos)
      << editor.shown;
}

TEST(TerminalAnswers, CtrlCOutsideAQuestionnaireActsAtOnce) {
  FakeLineEditor editor({kCtrlC});
  FakeEnv env("");
  env.fakeTerminal().inputIsConsole = true;
  env.fakeTerminal().editor = &editor;
  EXPECT_THROW(runSurvey(env), FakeLineEditor::Interrupted);
  EXPECT_EQ(editor.shown.find("Ctrl+C again"), std::string::npos);
}

TEST(TerminalAnswers, EachQuestionShowsItsProgressAndHasAHistoryOfItsOwn) {
  FakeLineEditor* editor = nullptr;
  typedRun(typedWords(answerWords()) + std::vector<Step>{line("7"), line("5"), line("")}, &editor);
  // "5", "1", the 23 answers, the check, the 7th asked again, the check, -1.
  ASSERT_EQ(editor->prompts.size(), 2u + 23u + 1u + 1u + 1u + 1u);
  for (int i = 0; i < 23; ++i) {
    EXPECT_EQ(editor->prompts[2 + i], std::to_string(i + 1) + "/23 > ");
    EXPECT_EQ(editor->histories[2 + i], i);
  }
  EXPECT_EQ(editor->prompts[26], "7/23 > ");
  EXPECT_EQ(editor->histories[26], 6);
  EXPECT_NE(editor->histories[25], editor->histories[26]);  // the check keeps its own
}

TEST(TerminalAnswers, TheTerminalShowsTheQuestionsThatStandardOutputDoesNot) {
  const std::vector<std::string> words = answerWords();
  const std::string firstPrompt = " --> Enter Your Firstname :: \n";
  const struct {
    const char* name;
    bool outputIsTerminal;
    size_t shown;  // times the first question shows through the editor
  } cases[] = {
      {"output elsewhere: each question, and again when asked again", false, 2},
      {"output on the terminal: only when asked again", true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLineEditor* editor = nullptr;
    typedRun(typedWords(words) + std::vector<Step>{line("1"), line("Ana"), line("")}, &editor,
             c.outputIsTerminal);
    size_t count = 0;
    for (size_t at = editor->shown.find(firstPrompt); at != std::string::npos;
         at = editor->shown.find(firstPrompt, at + 1)) {
      ++count;
    }
    EXPECT_EQ(count, c.shown);
    // The check lists every answer by its number.
    EXPECT_NE(editor->shown.find(" 23  country                " + words[22]), std::string::npos)
        << editor->shown;
  }
}

}  // namespace
}  // namespace survey::testing
