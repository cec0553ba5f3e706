// Any bytes, any returned count: the parser answers with a target or one of
// its fixed texts, and reads nothing past the bytes it is given (the buffer
// is an exact-size heap copy, so AddressSanitizer sees any overread).
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "pathtext/utf16_to_utf8.h"
#include "system/junction_errors.h"
#include "system/mount_point_reparse_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pathshrink;
  if (size < 2) return 0;
  const std::size_t returned = data[0] | (data[1] << 8);
  const std::vector<unsigned char> buffer(data + 2, data + size);
  const std::size_t readable = std::min(buffer.size(), returned);
  auto u16 = [&](std::size_t at) -> std::size_t { return buffer[at] | (buffer[at + 1] << 8); };
  const bool nameInside = readable >= 16 && 16 + u16(8) + (u16(10) / 2) * 2 <= readable;
  try {
    const std::string target =
        ParseMountPointTarget(buffer.data(), buffer.size(), returned, &PortableUtf16ToUtf8);
    if (!nameInside) std::abort();  // answered from outside the data
  } catch (const std::runtime_error& e) {
    const std::string message = e.what();
    if (message == junction_errors::kUnableToQuery) {
      if (nameInside) std::abort();  // refused a name that was all there
    } else if (message != junction_errors::kNotAMountPoint &&
               message != junction_errors::kUnableToConvert) {
      std::abort();
    }
  }
  return 0;
}
