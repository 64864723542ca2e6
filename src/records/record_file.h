// Where the records are kept: a text file in the working directory.
#pragma once

namespace survey {

constexpr const char* kRecordFileName = "datas.dat";

}  // namespace survey
