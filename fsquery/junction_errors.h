#pragma once

// The fixed texts that ReadJunctionTarget raises, on every platform.
namespace pathshrink::junction_errors {

inline constexpr const char* kUnableToOpen = "Unable to open : ";  // + path
inline constexpr const char* kNotAReparsePoint = "Not a reparse point";
inline constexpr const char* kUnableToQuery = "Unable to query junction";
inline constexpr const char* kNotAMountPoint = "Not a mount point";
inline constexpr const char* kUnableToConvert = "Unable to convert w2a";

}  // namespace pathshrink::junction_errors
