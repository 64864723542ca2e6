// The checks of lines typed at a terminal: words that would carry over, guarded interrupts.
#include "console/terminal_input.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "console/characters.h"
#include "console/input_reader.h"
#include "console/notices.h"

namespace survey {
namespace {

// What the checks say at the terminal. {…} are filled in; each ends its own line.
struct CheckTexts {
  const char* words;        // a line with more words than the prompt takes
  const char* wordChoices;  // ...for a text answer
  const char* numberWords;  // ...for a number
  const char* glued;        // a number with text glued to it
  const char* numberChoices;
  const char* choicePrompt;
  const char* interruptKey;  // after Ctrl+C in a questionnaire
  const char* endKey;        // after Ctrl+D on an empty line in one
  const char* back;          // any other key: back to the question
};

constexpr CheckTexts kTexts = {
    "\"{line}\" is {count} words; this question takes one.\n",
    "  Enter or j: join them as \"{joined}\"\n"
    "  k: keep \"{rest}\" for the next questions\n"
    "  t: type the answer again\n",
    "\"{line}\" is {count} words; this question takes one number.\n",
    "\"{line}\" is read as {number}; \"{glued}\" would answer the next question.\n",
    "  Enter or t: type the answer again\n"
    "  k: keep it so\n",
    "  [{keys}] ",
    "Ctrl+C again ends the program: {answers} given so far would be lost.\n"
    "Any other key goes back to the question.\n",
    "Ctrl+D again ends the input: {answers} given so far would be lost.\n"
    "Any other key goes back to the question.\n",
    "Back to the question.\n",
};

// `form` with each {name} replaced by its value.
std::string fill(const char* form, const std::vector<std::pair<const char*, std::string>>& fields) {
  std::string text(form);
  for (const auto& field : fields) {
    const std::string name = std::string("{") + field.first + "}";
    for (size_t at = text.find(name); at != std::string::npos;
         at = text.find(name, at + field.second.size())) {
      text.replace(at, name.size(), field.second);
    }
  }
  return text;
}

std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && isWhiteSpace(static_cast<unsigned char>(line[at]))) ++at;
    size_t end = at;
    while (end < line.size() && !isWhiteSpace(static_cast<unsigned char>(line[end]))) ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

std::string joined(const std::vector<std::string>& words, size_t from, const char* separator) {
  std::string text;
  for (size_t i = from; i < words.size(); ++i) {
    if (i > from) text += separator;
    text += words[i];
  }
  return text;
}

// A line as a one-time input, to read its first number as the reader would.
class LineInput : public ConsoleInput {
 public:
  explicit LineInput(std::string line) : line_(std::move(line)) {}
  size_t read(char* buffer, size_t capacity) override {
    const size_t count = std::min(capacity, line_.size() - position_);
    std::memcpy(buffer, line_.data() + position_, count);
    position_ += count;
    return count;
  }

 private:
  std::string line_;
  size_t position_ = 0;
};

}  // namespace

void TerminalInput::setContext(AskContext context, bool repeated) {
  context_ = std::move(context);
  repeated_ = repeated;
}

size_t TerminalInput::read(char* buffer, size_t capacity) {
  while (pending_.empty()) {
    if (context_.showQuestion && (repeated_ || !questionsShown_)) {
      std::string question = context_.question;
      editor_.show(question + "\n");
    }
    const std::string prompt = context_.progress.empty() ? "> " : context_.progress + " > ";
    std::string line;
    const LineRead got = editor_.readLine(prompt, context_.history, &line);
    if (got != LineRead::kLine) {
      if (context_.answersGiven < 0 || confirmInterrupt(got, context_.answersGiven)) {
        if (got == LineRead::kInterrupt) editor_.interrupt();
        return 0;
      }
      continue;
    }
    if (context_.kind != AnswerKind::kAny && !checkLine(&line)) continue;
    pending_ = line + "\n";
  }
  const size_t count = std::min(capacity, pending_.size());
  std::memcpy(buffer, pending_.data(), count);
  pending_.erase(0, count);
  return count;
}

bool TerminalInput::confirmInterrupt(LineRead key, int answersGiven) {
  const char* form = key == LineRead::kInterrupt ? kTexts.interruptKey : kTexts.endKey;
  const std::string answers = answersGiven == 0   ? "no answer"
                              : answersGiven == 1 ? "1 answer"
                                                  : std::to_string(answersGiven) + " answers";
  editor_.show("\n" + fill(form, {{"answers", answers}}));
  char pressed = 0;
  if (editor_.readKey(&pressed) == key) {
    if (key == LineRead::kInterrupt) editor_.interrupt();
    return true;
  }
  editor_.show(kTexts.back);
  return false;
}

bool TerminalInput::checkLine(std::string* line) {
  const size_t words = wordsOf(*line).size();
  if (context_.kind == AnswerKind::kReal) return checkNumber(*line, words);
  return words <= 1 || checkWords(line, words);
}

bool TerminalInput::checkWords(std::string* line, size_t count) {
  const std::vector<std::string> words = wordsOf(*line);
  const std::string join = joined(words, 0, "-");
  std::string text = fill(kTexts.words, {{"line", printableWords(joined(words, 0, " "))},
                                         {"count", std::to_string(count)}});
  text += fill(kTexts.wordChoices, {{"joined", printableExcerpt(join)},
                                    {"rest", printableWords(joined(words, 1, " "))}});
  switch (choose(text, "jkt")) {
    case 'j':
      *line = join;
      return true;
    case 'k':
      return true;
    default:
      return false;
  }
}

bool TerminalInput::checkNumber(const std::string& line, size_t words) {
  LineInput input(line);
  InputReader reader(input, nullptr);
  double value = 0;
  NumberText number;
  const ReadResult result = reader.readReal(&value, &number);
  std::string text;
  if (result == ReadResult::kValue && !number.glued.empty()) {
    text = fill(kTexts.glued, {{"line", printableExcerpt(number.typed + number.glued)},
                               {"number", printableExcerpt(number.typed)},
                               {"glued", printableExcerpt(number.glued)}});
  } else if (words > 1) {
    text = fill(kTexts.numberWords, {{"line", printableWords(joined(wordsOf(line), 0, " "))},
                                     {"count", std::to_string(words)}});
  } else {
    return true;
  }
  return choose(text + kTexts.numberChoices, "tk") == 'k';
}

char TerminalInput::choose(const std::string& question, const std::string& keys) {
  editor_.show(question);
  for (;;) {
    editor_.show(fill(kTexts.choicePrompt, {{"keys", keys}}));
    char key = 0;
    const LineRead got = editor_.readKey(&key);
    editor_.show("\n");
    // Ctrl+C and Ctrl+D here take the line back; the question then guards them.
    if (got != LineRead::kLine) return 't';
    if (key == '\r') return keys[0];
    const char lower = (key >= 'A' && key <= 'Z') ? static_cast<char>(key - 'A' + 'a') : key;
    if (keys.find(lower) != std::string::npos) return lower;
  }
}

}  // namespace survey
