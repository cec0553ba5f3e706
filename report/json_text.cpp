#include "report/json_text.h"

#include <charconv>
#include <cstdint>
#include <string>

#include "pathtext/utf16_to_utf8.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace pathshrink {
namespace {

std::uint64_t Load8(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, 8);
  return word;
}

// Whether any of the 8 bytes of `word` is one a JSON string cannot hold as
// it is (below 0x20, '"' or '\\'), or one with its high bit, which may be
// part of a sequence that is not UTF-8. Exact: a borrow only crosses bytes
// from one that is itself below 0x20 or equal to the one sought.
bool NeedsCare(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  const auto hasZeroByte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  return ((word & kHighs) | ((word - 0x2020202020202020u) & ~word & kHighs) |
          hasZeroByte(word ^ 0x2222222222222222u) | hasZeroByte(word ^ 0x5C5C5C5C5C5C5C5Cu)) != 0;
}

bool NeedsCare(unsigned char byte) {
  return byte >= 0x80 || byte < 0x20 || byte == '"' || byte == '\\';
}

// Copies the `size` bytes at `in` to `out` if none needs care: nearly every
// path is plain ASCII. Whole blocks at a time, the last one overlapping
// the one before.
bool CopiedPlain(const char* in, std::size_t size, char* out) {
#if defined(__SSE2__) || defined(_M_X64)
  if (size >= 16) {
    // As signed bytes, those with the high bit are below 0x20 too.
    const auto needsCare = [](__m128i block) {
      const __m128i care = _mm_or_si128(_mm_cmplt_epi8(block, _mm_set1_epi8(0x20)),
                                        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')),
                                                     _mm_cmpeq_epi8(block, _mm_set1_epi8('\\'))));
      return _mm_movemask_epi8(care) != 0;
    };
    std::size_t at = 0;
    for (; at + 16 <= size; at += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
      if (needsCare(block)) return false;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), block);
    }
    if (at < size) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + size - 16));
      if (needsCare(block)) return false;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + size - 16), block);
    }
    return true;
  }
#endif
  if (size >= 8) {
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
      const std::uint64_t word = Load8(in + at);
      if (NeedsCare(word)) return false;
      std::memcpy(out + at, &word, 8);
    }
    if (at < size) {
      const std::uint64_t word = Load8(in + size - 8);
      if (NeedsCare(word)) return false;
      std::memcpy(out + size - 8, &word, 8);
    }
    return true;
  }
  for (std::size_t at = 0; at < size; ++at) {
    if (NeedsCare(static_cast<unsigned char>(in[at]))) return false;
    out[at] = in[at];
  }
  return true;
}

// Small enough that the pages it takes are few, large enough that writes
// are too.
constexpr std::size_t kBufferSize = std::size_t{16} * 1024;

}  // namespace

JsonText::JsonText(std::ostream& out) : out_(out), buffer_(new char[kBufferSize]) {
  at_ = buffer_.get();
  end_ = at_ + kBufferSize;
}

void JsonText::Flush() {
  out_.write(buffer_.get(), at_ - buffer_.get());
  at_ = buffer_.get();
}

void JsonText::MakeRoom(std::size_t bytes) {
  Flush();
  if (static_cast<std::size_t>(end_ - at_) >= bytes) return;
  // One piece longer than the buffer (a long entry, escaped).
  buffer_.reset(new char[bytes]);
  at_ = buffer_.get();
  end_ = at_ + bytes;
}

void JsonText::Number(std::size_t n) {
  constexpr std::size_t kDigits = 20;  // of the largest std::size_t
  Room(kDigits);
  at_ = std::to_chars(at_, end_, n).ptr;
}

void JsonText::Signed(long n) {
  constexpr std::size_t kDigits = 20;  // of the most negative long, with its sign
  Room(kDigits);
  at_ = std::to_chars(at_, end_, n).ptr;
}

void JsonText::Quoted(std::string_view text) {
  // Nearly always there is room and the text is plain: then in one step
  // that calls nothing else.
  if (static_cast<std::size_t>(end_ - at_) >= text.size() + 2 &&
      CopiedPlain(text.data(), text.size(), at_ + 1)) {
    at_[0] = '"';
    at_[text.size() + 1] = '"';
    at_ += text.size() + 2;
    return;
  }
  QuotedWithEscapes(text);
}

void JsonText::QuotedWithEscapes(std::string_view text) {
  std::string valid;
  if (!IsUtf8(text)) {
    for (std::size_t i = 0; i < text.size();) {
      const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[i]));
      if (length != 0 && i + length <= text.size() && IsUtf8(text.substr(i, length))) {
        valid.append(text.substr(i, length));
        i += length;
      } else {
        valid += "\xEF\xBF\xBD";
        ++i;
      }
    }
    text = valid;
  }
  Raw("\"");
  std::size_t run = 0;  // start of the bytes that need no escape
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\') continue;
    Raw(text.substr(run, i - run));
    run = i + 1;
    if (byte == '"' || byte == '\\') {
      const char escaped[2] = {'\\', static_cast<char>(byte)};
      Raw(std::string_view(escaped, 2));
    } else {
      const char* digits = "0123456789abcdef";
      const char escaped[6] = {'\\', 'u', '0', '0', digits[byte >> 4], digits[byte & 0xF]};
      Raw(std::string_view(escaped, 6));
    }
  }
  Raw(text.substr(run));
  Raw("\"");
}

}  // namespace pathshrink
