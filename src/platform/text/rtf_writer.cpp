#include "platform/text/rtf_writer.h"

#include <algorithm>

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

// At least as many bytes as appendEscaped writes for valid UTF-8: control words for line breaks and tabs, escapes,
// and a "\\uN " of up to 9 bytes per UTF-16 unit. Counted first so that a large text is written into one buffer,
// never into one that grows (and is held twice while it does).
size_t escapedSizeBound(std::string_view text) {
  size_t size = text.size();
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n' || byte == '\r' || byte == '\t') {
      size += 4;
    } else if (byte == '\\' || byte == '{' || byte == '}') {
      size += 1;
    } else if (byte >= 0xF0) {
      size += 14;  // 4 bytes, two units of up to 9
    } else if (byte >= 0xE0) {
      size += 6;  // 3 bytes, one unit of up to 9
    } else if (byte >= 0xC0) {
      size += 5;  // 2 bytes, one unit of up to 7 ("\u2047 ")
    }
  }
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
