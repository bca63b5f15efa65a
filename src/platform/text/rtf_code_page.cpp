#include "platform/text/rtf_code_page.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/text/utf8.h"

namespace platform {

int codePageForRtfCharset(int charset) {
  switch (charset) {
    case 77:
      return 10000;
    case 128:
      return 932;
    case 129:
      return 949;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    case 2:
      return RtfCodePageDecoder::symbolCodePage;
    default:
      return 0;
  }
}

namespace {
UConverter* openConverter(const std::string& name) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(name.c_str(), &status);
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

std::vector<std::string> converterNames(int codePage) {
  switch (codePage) {
    case 932:
      return {"windows-31j"};
    case 936:
      return {"windows-936-2000"};
    case 949:
      return {"windows-949", "cp949"};
    case 950:
      return {"windows-950", "cp950"};
    case 10000:
      return {"macintosh"};
    case 10007:
      return {"x-mac-cyrillic"};
    default:
      break;
  }
  std::string number = std::to_string(codePage);
  return {"windows-" + number, "cp" + number, "ibm-" + number};
}

}  // namespace

RtfCodePageDecoder::RtfCodePageDecoder() = default;

RtfCodePageDecoder::~RtfCodePageDecoder() {
  // Code pages without a converter of their own share the 1252 one: close each converter once.
  std::set<UConverter*> open;
  for (auto& [codePage, converter] : converters_) {
    if (converter != nullptr) open.insert(converter);
  }
  for (UConverter* converter : open) ucnv_close(converter);
}

UConverter* RtfCodePageDecoder::converter(int codePage) {
  auto found = converters_.find(codePage);
  if (found != converters_.end()) return found->second;
  UConverter* result = nullptr;
  for (const std::string& name : converterNames(codePage)) {
    result = openConverter(name);
    if (result != nullptr) break;
  }
  if (result == nullptr && codePage != 1252) result = converter(1252);
  converters_[codePage] = result;
  return result;
}

const RtfCodePageDecoder::ByteTable* RtfCodePageDecoder::singleByteTable(int codePage) {
  auto known = tables_.find(codePage);
  if (known != tables_.end()) return known->second;
  const ByteTable* table = nullptr;
  UConverter* conv = converter(codePage);
  if (conv != nullptr && ucnv_getMaxCharSize(conv) == 1 && ucnv_getMinCharSize(conv) == 1) {
    // Each byte of a single-byte code page reads the same alone as within a run.
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<const ByteTable>> tables;
    std::lock_guard lock(mutex);
    std::unique_ptr<const ByteTable>& shared = tables[codePage];
    if (!shared) {
      auto made = std::make_unique<ByteTable>();
      for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        convert(conv, std::string_view(&c, 1), (*made)[static_cast<size_t>(byte)]);
      }
      shared = std::move(made);
    }
    table = shared.get();
  }
  tables_[codePage] = table;
  return table;
}

void RtfCodePageDecoder::convert(UConverter* conv, std::string_view bytes, std::string& out) {
  ucnv_reset(conv);
  std::u16string utf16(bytes.size() * 2 + 4, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = ucnv_toUChars(conv, utf16.data(), static_cast<int32_t>(utf16.size()), bytes.data(),
                                 static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return;
  std::string utf8(static_cast<size_t>(length) * 3 + 4, '\0');
  int32_t utf8Length = 0;
  status = U_ZERO_ERROR;
  u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &utf8Length, utf16.data(), length, 0xFFFD, nullptr,
                     &status);
  if (U_FAILURE(status)) return;
  out.append(utf8.data(), static_cast<size_t>(utf8Length));
}

void RtfCodePageDecoder::decode(int codePage, std::string_view bytes, std::string& out) {
  if (codePage == symbolCodePage) {
    // Symbol fonts put their bullet at 0xB7; the rest reads as 1252.
    size_t start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
      if (i == bytes.size() || static_cast<unsigned char>(bytes[i]) == 0xB7) {
        if (i > start) decode(1252, bytes.substr(start, i - start), out);
        if (i < bytes.size()) appendUtf8(out, 0x2022);
        start = i + 1;
      }
    }
    return;
  }
  if (const ByteTable* table = singleByteTable(codePage)) {
    for (char c : bytes) out.append((*table)[static_cast<unsigned char>(c)]);
    return;
  }
  UConverter* conv = converter(codePage);
  if (conv == nullptr) {
    for (char c : bytes) appendUtf8(out, static_cast<unsigned char>(c) < 0x80 ? static_cast<unsigned char>(c) : 0xFFFD);
    return;
  }
  convert(conv, bytes, out);
}

}  // namespace platform
