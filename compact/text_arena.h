#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string_view>

namespace pathshrink {

// Keeps many short texts in a few large blocks. A text, once added, never
// moves, so views of it stay valid as long as the arena lives, moves of the
// arena included. A long list then takes a few blocks for its rewritten
// entries rather than an allocation each.
class TextArena {
 public:
  // Adds the texts one after the other, as one text.
  std::string_view Add(std::string_view text, std::string_view more = {}) {
    const std::size_t size = text.size() + more.size();
    if (blocks_.empty() || capacity_ - used_ < size) {
      // A text larger than a block gets a block of its own size, which it
      // then fills: the next text starts another.
      capacity_ = std::max(kBlockSize, size);
      blocks_.emplace_back(new char[capacity_]);
      used_ = 0;
    }
    char* const start = blocks_.back().get() + used_;
    // (An empty view may have no data at all, which memcpy must not see.)
    if (!text.empty()) std::memcpy(start, text.data(), text.size());
    if (!more.empty()) std::memcpy(start + text.size(), more.data(), more.size());
    used_ += size;
    return std::string_view(start, size);
  }

 private:
  static constexpr std::size_t kBlockSize = std::size_t{64} * 1024;
  std::deque<std::unique_ptr<char[]>> blocks_;
  std::size_t capacity_ = 0;  // of the last block
  std::size_t used_ = 0;      // of the last block
};

}  // namespace pathshrink
