#pragma once

#include <string>

namespace pathshrink::testing {

// Names folded as Windows compares them (A to Z only), written here apart
// from the tool's own folding, so that the in-memory system stays a witness
// that a fault in the tool's rules cannot also bend.
inline std::string AsciiFolded(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace pathshrink::testing
