#pragma once

#include <stdexcept>
#include <string>

// The fixed texts that ReadJunctionTarget raises, on every platform.
namespace pathshrink::junction_errors {

inline constexpr const char* kUnableToOpen = "Unable to open : ";  // + path
inline constexpr const char* kNotAReparsePoint = "Not a reparse point";
inline constexpr const char* kUnableToQuery = "Unable to query junction";
inline constexpr const char* kNotAMountPoint = "Not a mount point";
inline constexpr const char* kUnableToConvert = "Unable to convert w2a";

}  // namespace pathshrink::junction_errors

namespace pathshrink {

// What ReadJunctionTarget raises: one of the texts above, and which one, so
// that a caller that must tell them apart need not read the text.
class JunctionError : public std::runtime_error {
 public:
  enum class Kind {
    kUnableToOpen,
    kNotAReparsePoint,
    kUnableToQuery,
    kNotAMountPoint,
    kUnableToConvert
  };

  // `path` goes into the text of kUnableToOpen only.
  explicit JunctionError(Kind kind, const std::string& path = std::string())
      : std::runtime_error(Text(kind, path)), kind_(kind) {}

  Kind kind() const { return kind_; }

 private:
  static std::string Text(Kind kind, const std::string& path) {
    switch (kind) {
      case Kind::kUnableToOpen:
        return junction_errors::kUnableToOpen + path;
      case Kind::kNotAReparsePoint:
        return junction_errors::kNotAReparsePoint;
      case Kind::kUnableToQuery:
        return junction_errors::kUnableToQuery;
      case Kind::kNotAMountPoint:
        return junction_errors::kNotAMountPoint;
      case Kind::kUnableToConvert:
        break;
    }
    return junction_errors::kUnableToConvert;
  }

  Kind kind_;
};

}  // namespace pathshrink
