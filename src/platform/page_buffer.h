// A byte buffer aligned to a memory page, for large reads and writes.
#pragma once

#include <cstddef>
#include <new>

namespace survey {

// Some processors copy from the kernel into a buffer that does not start on a page several
// times slower than into one that does (as `cat` knows), so every buffer handed to a large
// read or write starts on a page boundary.
inline constexpr size_t kPageSize = 4096;

class PageBuffer {
 public:
  explicit PageBuffer(size_t size)
      : size_(size),
        data_(static_cast<char*>(::operator new (size, std::align_val_t{kPageSize}))) {}
  ~PageBuffer() { ::operator delete (data_, std::align_val_t{kPageSize}); }
  PageBuffer(const PageBuffer&) = delete;
  PageBuffer& operator=(const PageBuffer&) = delete;

  char* data() { return data_; }
  const char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  size_t size_;
  char* data_;
};

}  // namespace survey
