// A record's identity: a 64-bit hash of its values as exported, the same in every output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace survey {

// XXH3-64 (seed 0) of the values in order, each as its length in bytes (four bytes, least
// significant first) followed by its bytes. `scratch` holds those bytes between calls, so that
// hashing a record allocates nothing once it has grown. Requires each value below 4 GiB.
uint64_t recordIdOf(const std::string_view* values, size_t count, std::string* scratch);

// The identity as 16 lowercase hexadecimal digits, at `to`.
void writeRecordId(uint64_t id, char* to);

}  // namespace survey
