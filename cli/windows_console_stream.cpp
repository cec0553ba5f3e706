#include "cli/windows_console_stream.h"

#include <algorithm>

#include "cli/console_text.h"
#include "system/windows_utf8.h"

namespace pathshrink {

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

int WindowsConsoleStreamBuf::sync() { return Write(false); }

int WindowsConsoleStreamBuf::Write(bool final) {
  const std::size_t complete = WritableUtf8Length(pending_, final);
  if (complete == 0) return 0;
  // Invalid bytes show as U+FFFD rather than stop the output.
  std::wstring wide;
  if (!Utf8ToWide(std::string_view(pending_).substr(0, complete), wide, Unconvertible::kReplace)) {
    return -1;
  }
  pending_.erase(0, complete);
  for (std::size_t done = 0; done < wide.size();) {
    DWORD written = 0;
    // No write ends between the two halves of a pair.
    const auto chunk = static_cast<DWORD>(Utf16ChunkLength<wchar_t>(wide, done, 8192));
    if (!::WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) || written == 0) {
      return -1;
    }
    done += written;
  }
  return 0;
}

}  // namespace pathshrink
