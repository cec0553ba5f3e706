#pragma once

#include <cstddef>
#include <string_view>

#include "pathtext/utf16_to_utf8.h"

namespace pathshrink {

// How much of the UTF-8 `text` can go to the console now: all of it at the
// end (`final`), where a cut sequence shows as U+FFFD rather than vanish;
// else up to a lead byte near the end whose sequence is not all there yet,
// which waits for the rest.
inline std::size_t WritableUtf8Length(std::string_view text, bool final) {
  if (final) return text.size();
  std::size_t start = text.size();
  for (int back = 0; back < 4 && start > 0; ++back) {
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[start - 1]));
    if (length != 0) {  // a lead byte
      const std::size_t lead = start - 1;
      return text.size() - lead >= length ? text.size() : lead;
    }
    --start;
  }
  return text.size();  // no lead byte close enough: not UTF-8 to wait for
}

// How many of the UTF-16 `units` from `done` on go into one write of at
// most `most`: one fewer where the last would be the first half of a pair.
template <typename Unit>
std::size_t Utf16ChunkLength(std::basic_string_view<Unit> units, std::size_t done,
                             std::size_t most) {
  std::size_t chunk = units.size() - done < most ? units.size() - done : most;
  const auto last = static_cast<unsigned>(units[done + chunk - 1]);
  if (chunk > 1 && done + chunk < units.size() && last >= 0xD800 && last <= 0xDBFF) --chunk;
  return chunk;
}

}  // namespace pathshrink
