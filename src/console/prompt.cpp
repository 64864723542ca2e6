// Reading answers, with notices about what the reads did to them and what they left.
#include "console/prompt.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "console/characters.h"
#include "console/number_format.h"
#include "console/template.h"

namespace survey {
namespace {

// The notices about typed input. {prompt} is the prompt's name, the quoted fields are
// excerpts of what was typed. A notice about what goes on to the next prompts has a head
// when the prompt took an answer, and one of the two tails.
constexpr const char* kNotAWholeNumber = "{prompt}: \"{typed}\" is not a whole number; 0 is used";
constexpr const char* kNotANumber = "{prompt}: \"{typed}\" is not a number; 0 is stored";
constexpr const char* kWordCut = "{prompt}: an answer longer than {limit} bytes was cut there";
constexpr const char* kControlCharacters =
    "{prompt}: the answer \"{answer}\" holds control characters (arrow keys typed at a prompt "
    "put them there); it is stored as typed and shown in caret notation";
constexpr const char* kAnswerHead = "{prompt}: \"{answer}\" is the answer; ";
constexpr const char* kReadAsHead = "{prompt}: \"{typed}\" is read as {value}; ";
constexpr const char* kNoHead = "{prompt}: ";
constexpr const char* kOneWordGoesOn = "\"{rest}\" goes to the next prompt";
constexpr const char* kWordsGoOn = "{count} words go to the next prompts: \"{rest}\"";

using Fields = std::initializer_list<std::pair<std::string_view, std::string>>;

// Appends `form` to `out` with its fields filled from `fields`.
void render(const char* form, Fields fields, std::string* out) {
  renderLine(
      form,
      [&fields](std::string_view name, std::string* text) {
        for (const auto& field : fields) {
          if (field.first == name) {
            text->assign(field.second);
            return true;
          }
        }
        return false;
      },
      out);
}

void notice(Console& console, const char* form, Fields fields) {
  std::string text;
  render(form, fields, &text);
  console.notices.notice(text);
}

// Names what the last read left for the next prompts, if anything: `glued`, the text glued
// to a number, and at a terminal the words after it on the line. `head` and its fields say
// what the prompt took.
void announceLeftovers(Console& console, const std::string& glued, const char* head,
                       Fields fields) {
  std::string rest = console.inputIsTerminal ? console.reader.newWordsOnLine() : std::string();
  if (rest.empty()) rest = glued;
  if (rest.empty()) return;
  std::string text;
  render(glued.empty() ? head : kReadAsHead, fields, &text);
  const size_t words = 1 + static_cast<size_t>(std::count(rest.begin(), rest.end(), ' '));
  if (words == 1) {
    render(kOneWordGoesOn, {{"rest", printableExcerpt(rest)}}, &text);
  } else {
    render(kWordsGoOn, {{"count", std::to_string(words)}, {"rest", printableWords(rest)}}, &text);
  }
  console.notices.notice(text);
}

// The notices after a number read that found one or not.
void announceNumber(Console& console, std::string_view promptName, ReadResult result,
                    const NumberText& text, const std::string& value) {
  const std::string prompt(promptName);
  if (result == ReadResult::kNoNumber) {
    announceLeftovers(console, "", kNoHead, {{"prompt", prompt}});
    return;
  }
  announceLeftovers(console, text.glued, kAnswerHead,
                    {{"prompt", prompt},
                     {"answer", printableExcerpt(text.typed)},
                     {"typed", printableExcerpt(text.typed + text.glued)},
                     {"value", value}});
}

}  // namespace

bool readWholeNumber(Console& console, std::string_view promptName, int* value,
                     std::optional<int> lastValue) {
  NumberText text;
  ReadResult result = console.reader.readWholeNumber(value, &text);
  if (result == ReadResult::kEnd) return false;
  if (result == ReadResult::kNoNumber) {
    notice(console, kNotAWholeNumber,
           {{"prompt", std::string(promptName)}, {"typed", printableExcerpt(text.typed)}});
  }
  if (*value != lastValue) {
    announceNumber(console, promptName, result, text, std::to_string(*value));
  }
  return true;
}

bool readRealAnswer(Console& console, std::string_view promptName, double* value) {
  NumberText text;
  ReadResult result = console.reader.readReal(value, &text);
  if (result == ReadResult::kEnd) return false;
  if (result == ReadResult::kNoNumber) {
    notice(console, kNotANumber,
           {{"prompt", std::string(promptName)}, {"typed", printableExcerpt(text.typed)}});
  }
  announceNumber(console, promptName, result, text, formatReal(*value));
  return true;
}

bool readWordAnswer(Console& console, std::string_view promptName, std::string* word) {
  bool cut = false;
  if (console.reader.readWord(word, &cut) == ReadResult::kEnd) return false;
  const std::string prompt(promptName);
  if (cut) {
    notice(console, kWordCut,
           {{"prompt", prompt}, {"limit", std::to_string(InputReader::kWordLimit)}});
  }
  if (holdsControlCharacters(*word)) {
    notice(console, kControlCharacters, {{"prompt", prompt}, {"answer", printableExcerpt(*word)}});
  }
  announceLeftovers(console, "", kAnswerHead,
                    {{"prompt", prompt}, {"answer", printableExcerpt(*word)}});
  return true;
}

}  // namespace survey
