#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>

struct UConverter;

namespace platform {

// Windows code page for an RTF font charset (\fcharset); 0 when the charset names none.
int codePageForRtfCharset(int charset);

// Converts bytes of RTF text in a Windows or Mac code page to UTF-8 through ICU. Keeps one converter per
// code page; unknown code pages read as 1252. Bytes a code page cannot map become U+FFFD. Single-byte code
// pages are read through a table of what ICU gives for each byte, made once per process.
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
  using ByteTable = std::array<std::string, 256>;

  UConverter* converter(int codePage);
  const ByteTable* singleByteTable(int codePage);
  void convert(UConverter* converter, std::string_view bytes, std::string& out);

  std::map<int, UConverter*> converters_;
  std::map<int, const ByteTable*> tables_;  // none for code pages of more than one byte per character
};

}  // namespace platform
