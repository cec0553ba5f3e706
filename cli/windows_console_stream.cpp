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

WindowsFileStreamBuf::int_type WindowsFileStreamBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  pending_ += traits_type::to_char_type(c);
  if (pending_.size() >= kFlushAt && sync() != 0) return traits_type::eof();
  return c;
}

std::streamsize WindowsFileStreamBuf::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<std::size_t>(count));
  if (pending_.size() >= kFlushAt && sync() != 0) return 0;
  return count;
}

int WindowsFileStreamBuf::sync() {
  if (pending_.empty()) return 0;
  // Lines end in CR LF, as the C runtime's text mode wrote them.
  std::string text;
  text.reserve(pending_.size() + pending_.size() / 32);
  for (const char c : pending_) {
    if (c == '\n') text += '\r';
    text += c;
  }
  pending_.clear();
  for (std::size_t done = 0; done < text.size();) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
    // A closed pipe: what is left cannot go anywhere.
    if (!::WriteFile(file_, text.data() + done, chunk, &written, nullptr) || written == 0)
      return -1;
    done += written;
  }
  return 0;
}

}  // namespace pathshrink
