#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>

namespace pathshrink {

// JSON text written to a stream through a cursor into a small buffer, which
// goes out whenever it is full. A report holds thousands of records, some
// four times the list's bytes: appended piece by piece to one std::string,
// they cost as much time as the rest of a run, and the memory of all of it
// at once.
class JsonText {
 public:
  explicit JsonText(std::ostream& out);
  JsonText(const JsonText&) = delete;
  JsonText& operator=(const JsonText&) = delete;
  ~JsonText() { Flush(); }

  // Text that is JSON already.
  template <std::size_t N>
  void Raw(const char (&literal)[N]) {
    Put(literal, N - 1);
  }
  void Raw(std::string_view json) { Put(json.data(), json.size()); }
  void Number(std::size_t n);
  void Signed(long n);
  void Bool(bool value) { value ? Raw("true") : Raw("false"); }
  // `text` as a JSON string. Bytes that are not UTF-8 (an entry read as
  // bytes) become U+FFFD: JSON holds text only.
  void Quoted(std::string_view text);

  // What is in the buffer goes out.
  void Flush();

 private:
  void Room(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - at_) < bytes) MakeRoom(bytes);
  }
  void MakeRoom(std::size_t bytes);
  void Put(const char* bytes, std::size_t size) {
    Room(size);
    std::memcpy(at_, bytes, size);
    at_ += size;
  }
  void QuotedWithEscapes(std::string_view text);

  std::ostream& out_;
  std::unique_ptr<char[]> buffer_;
  char* at_ = nullptr;
  char* end_ = nullptr;
};

}  // namespace pathshrink
