#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

struct UConverter;

namespace platform {

// Windows code page for an RTF font charset (\fcharset); 0 when the charset names none.
int codePageForRtfCharset(int charset);

// Converts bytes of RTF text in a Windows or Mac code page to UTF-8 through ICU. Keeps one converter per
// code page; unknown code pages read as 1252. Bytes a code page cannot map become U+FFFD.
class RtfCodePageDecoder {
 public:
  RtfCodePageDecoder();
  ~RtfCodePageDecoder();
  RtfCodePageDecoder(const RtfCodePageDecoder&) = delete;
  RtfCodePageDecoder& operator=(const RtfCodePageDecoder&) = delete;

  // Appends the UTF-8 form of `bytes` to `out`. A code page of -2 stands for the symbol charset.
  void decode(int codePage, std::string_view bytes, std::string& out);

  static constexpr int symbolCodePage = -2;

 private:
  UConverter* converter(int codePage);
  std::map<int, UConverter*> converters_;
};

}  // namespace platform
