// Answers typed at a terminal: each line comes from the line editor, is checked, and goes on
// to the input reader as the same line piped in would.
#pragma once

#include <string>

#include "platform/env.h"

namespace survey {

// What the prompt being answered takes, for the check of words that would carry over.
enum class AnswerKind { kAny, kWord, kReal };

// The prompt being answered, as the questionnaire sets it before each question.
struct AskContext {
  std::string progress;  // "7/23" during the questionnaire
  std::string question;  // shown on the terminal before the line when `showQuestion`
  bool showQuestion = false;
  int history = 0;  // the list of earlier lines that Up and Down recall
  AnswerKind kind = AnswerKind::kAny;
  int answersGiven = -1;  // answers of the questionnaire so far; -1 outside one
};

class TerminalInput : public ConsoleInput {
 public:
  // `questionsShown`: standard output is this terminal, where the questions already show.
  TerminalInput(LineEditor& editor, bool questionsShown)
      : editor_(editor), questionsShown_(questionsShown) {}

  // One checked line and its line end. Ctrl+C ends the program and Ctrl+D on an empty line
  // ends the input (0), at once outside a questionnaire and when pressed twice in one.
  size_t read(char* buffer, size_t capacity) override;

  // Sets the prompt answered next; `repeated` shows its question on the terminal even where
  // standard output showed it already, being asked again.
  void setContext(AskContext context, bool repeated = false);
  void clearContext() { context_ = AskContext(); }

  LineEditor& editor() { return editor_; }

  // After Ctrl+C or Ctrl+D (`key`) during a questionnaire with `answersGiven` answers: says
  // what would be lost and waits for the same key again. True when it came (the caller then
  // acts on it; a repeated Ctrl+C ends the program here), false for any other key.
  bool confirmInterrupt(LineRead key, int answersGiven);

 private:
  // The carry-over check of a line entered for the current prompt: may join its words; false
  // when it is to be typed again.
  bool checkLine(std::string* line);
  bool checkWords(std::string* line, size_t count);
  bool checkNumber(const std::string& line, size_t words);
  // A choice of one key among `keys` (lower case); Enter gives the first.
  char choose(const std::string& question, const std::string& keys);

  LineEditor& editor_;
  bool questionsShown_;
  AskContext context_;
  bool repeated_ = false;
  std::string pending_;  // a checked line not yet handed to the reader
};

}  // namespace survey
