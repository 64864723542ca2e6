// The sample questionnaire's expected screens and record, kept as data files.
#include "support/sample_questionnaire.h"

#include <fstream>
#include <sstream>

namespace survey::testing {

const char* const kSampleAnswers =
    "Ada Lovelace London 10-12-1815 30 30 5 Green-Valley-Learning-Centre Elm-Street Grace-Hopper "
    "Bakery Mill-Works FixIt Central-Library 250 Riverside-Plaza Oak-School 07-12-2026 21:10 Lagos "
    "Falls Yoruba Nigeria";

std::string testData(const std::string& name) {
  std::ifstream in(std::string(SURVEY_TEST_DATA) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string expectedPrompts() { return testData("sample_prompts.txt"); }
std::string expectedSampleSummary() { return testData("sample_summary.txt"); }
std::string expectedSampleRecord() { return testData("sample_record.txt"); }

}  // namespace survey::testing
