#include "platform/text/rtf_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/text/output_reserve.h"
#include "platform/text/utf8.h"

namespace platform {

namespace {

void appendUnicode(std::string& out, char32_t scalar) {
  auto appendUnit = [&out](uint32_t unit) {
    out += "\\u";
    out += std::to_string(static_cast<int16_t>(static_cast<uint16_t>(unit)));
    out += ' ';
  };
  if (scalar >= 0x10000) {
    uint32_t value = scalar - 0x10000;
    appendUnit(0xD800 + (value >> 10));
    appendUnit(0xDC00 + (value & 0x3FF));
  } else {
    appendUnit(scalar);
  }
}

void appendEscaped(std::string& out, std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    // Printable ASCII other than the three RTF escapes is written as it is, at once.
    size_t end = i;
    while (end < text.size() && text[end] >= 0x20 && text[end] < 0x7F && text[end] != '\\' && text[end] != '{' &&
           text[end] != '}') {
      ++end;
    }
    if (end > i) {
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    DecodedScalar decoded = decodeUtf8(text, i);
    char32_t c = decoded.scalar;
    i += decoded.length;
    switch (c) {
      case '\r':
        if (i < text.size() && text[i] == '\n') ++i;
        [[fallthrough]];
      case '\n':
      case 0x2029:
        out += "\\par\n";
        break;
      case 0x2028:
        out += "\\line ";
        break;
      case '\t':
        out += "\\tab ";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '{':
        out += "\\{";
        break;
      case '}':
        out += "\\}";
        break;
      default:
        if (c < 0x20 || c == 0x7F) break;
        if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          appendUnicode(out, c);
        }
    }
  }
}

void appendEscapedUrl(std::string& out, std::string_view url) {
  for (char c : url) {
    if (c == '\\' || c == '{' || c == '}') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20 && c != '"') {
      out += c;
    } else if (c == '"') {
      out += "%22";
    }
  }
}

// For a large text (see textCountedBeforeWriting), at least as many bytes as appendEscaped writes for it when it is
// valid UTF-8: control words for line breaks and tabs, escapes, and a Unicode control word of up to 9 bytes per UTF-16
// unit; for a shorter one, its size.
size_t escapedSizeBound(std::string_view text) {
  if (text.size() < textCountedBeforeWriting) return text.size();
  // What each byte may add to the text, looked up rather than decided: this runs over every byte.
  static constexpr std::array<uint8_t, 256> added = [] {
    std::array<uint8_t, 256> made{};
    made['\n'] = made['\r'] = made['\t'] = 4;
    made['\\'] = made['{'] = made['}'] = 1;
    for (std::size_t byte = 0xC0; byte < 0x100; ++byte) {
      made[byte] = byte >= 0xF0 ? 14 : byte >= 0xE0 ? 6 : 5;  // two units of up to 9; one of up to 9; "\u2047 "
    }
    return made;
  }();
  size_t size = text.size();
  for (const char c : text) size += added[static_cast<unsigned char>(c)];
  return size;
}

}  // namespace

std::string writeRtf(const AttributedString& text) {
  const std::vector<AttributedString::Run> runs = text.runs();
  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\uc0 ";
  // Room for the characters and the fields of the links.
  size_t size = out.size() + escapedSizeBound(text.string()) + 16;
  for (const AttributedString::Run& run : runs) {
    if (!run.attributes.link) continue;
    const std::string& url = run.attributes.link->absoluteString();
    size += url.size() + 48 + 2 * static_cast<size_t>(std::count_if(url.begin(), url.end(), [](char c) {
                                return c == '\\' || c == '{' || c == '}' || c == '"';
                              }));
  }
  out.reserve(size);
  for (const AttributedString::Run& run : runs) {
    std::string_view part = std::string_view(text.string()).substr(run.range.location, run.range.length);
    if (run.attributes.link) {
      out += "{\\field{\\*\\fldinst{HYPERLINK \"";
      appendEscapedUrl(out, run.attributes.link->absoluteString());
      out += "\"}}{\\fldrslt ";
      appendEscaped(out, part);
      out += "}}";
    } else {
      appendEscaped(out, part);
    }
  }
  out += "}";
  return out;
}

}  // namespace platform
