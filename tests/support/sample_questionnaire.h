// A sample questionnaire (S = 30, A = 5) with its expected prompts, summary and record, and
// the expected-text files under tests/data.
#pragma once

#include <string>

namespace survey::testing {

// The content of tests/data/`name` ("" when missing).
std::string testData(const std::string& name);

// The 23 answers, one line, as typed.
extern const char* const kSampleAnswers;

// The 23 prompts with the fee lead-in, each line ended.
std::string expectedPrompts();
// The summary of the sample answers.
std::string expectedSampleSummary();
// The sample's 35-line record for a run started at 21:05 on 7 December 2026.
std::string expectedSampleRecord();

}  // namespace survey::testing
