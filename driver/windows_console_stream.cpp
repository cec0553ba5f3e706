#include "driver/windows_console_stream.h"

#include <algorithm>

#include "fsquery/windows_utf8.h"

namespace pathshrink {
namespace {

// How much of `text` ends with a whole UTF-8 sequence: a lead byte near the
// end whose sequence is not all there yet is held back.
std::size_t CompleteLength(const std::string& text) {
  std::size_t start = text.size();
  for (int back = 0; back < 4 && start > 0; ++back) {
    const auto byte = static_cast<unsigned char>(text[start - 1]);
    if ((byte & 0xC0) != 0x80) {  // not a continuation byte
      const std::size_t lead = start - 1;
      const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
      return text.size() - lead >= length ? text.size() : lead;
    }
    --start;
  }
  return text.size();  // no lead byte close enough: not UTF-8 to wait for
}

}  // namespace

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode);
}

WindowsConsoleStreamBuf::int_type WindowsConsoleStreamBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  pending_ += traits_type::to_char_type(c);
  return c;
}

std::streamsize WindowsConsoleStreamBuf::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<std::size_t>(count));
  return count;
}

int WindowsConsoleStreamBuf::sync() {
  const std::size_t complete = CompleteLength(pending_);
  if (complete == 0) return 0;
  // Invalid bytes show as U+FFFD rather than stop the output.
  std::wstring wide;
  if (!Utf8ToWide(std::string_view(pending_).substr(0, complete), wide, Unconvertible::kReplace)) {
    return -1;
  }
  pending_.erase(0, complete);
  for (std::size_t done = 0; done < wide.size();) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
    if (!::WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) || written == 0) {
      return -1;
    }
    done += written;
  }
  return 0;
}

}  // namespace pathshrink
