#include "compact/lower_case.h"

namespace pathshrink {

std::string LowerCased(std::string text) {
  // Deliberately not std::tolower: the result must not depend on whatever
  // locale a caller may have set, and a plain char may be negative.
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace pathshrink
