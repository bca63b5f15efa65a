#include "platform/text/html_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/text/output_reserve.h"

namespace platform {

namespace {

void appendEscaped(std::string& out, char c, bool inAttribute = false) {
  switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += inAttribute ? "&quot;" : "\"";
      break;
    default:
      out += c;
  }
}

class BodyWriter {
 public:
  BodyWriter(std::string& out, const std::set<std::string>& excluded)
      : out_(out), excluded_(excluded), lineBreak_(excluded.count("br") > 0 ? "\n" : "<br>") {}

  void text(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
      // Characters written as they are, at once, with the lone spaces between them (which stay spaces).
      size_t end = i;
      while (end < text.size() &&
             (isPlain(text[end]) || (text[end] == ' ' && end > i && end + 1 < text.size() && isPlain(text[end + 1])))) {
        ++end;
      }
      if (end > i) {
        lineStart_ = false;
        out_.append(text.substr(i, end - i));
        i = end;
        if (i == text.size()) break;
      }
      if (text[i] == ' ') {
        size_t end = i;
        while (end < text.size() && text[end] == ' ') ++end;
        spaces(end - i);
        i = end;
        continue;
      }
      lineStart_ = false;
      if (text[i] == '\r' || text[i] == '\n') {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lineBreak();
        ++i;
      } else if (text.substr(i).starts_with("\xE2\x80\xA8") || text.substr(i).starts_with("\xE2\x80\xA9")) {
        lineBreak();
        i += 3;
      } else if (text[i] == '\t') {
        out_ += "&#9;";
        ++i;
      } else if (static_cast<unsigned char>(text[i]) < 0x20 || text[i] == 0x7F) {
        ++i;  // other control characters cannot be written in HTML
      } else {
        appendEscaped(out_, text[i]);
        ++i;
      }
    }
  }

  bool excluded(const char* element) const { return excluded_.count(element) > 0; }

 private:
  // Neither a space, a line break (U+2028 and U+2029 start with 0xE2), a control character nor one to escape.
  static bool isPlain(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte != 0x7F && byte != 0xE2 && c != '&' && c != '<' && c != '>';
  }

  // A lone space inside a line stays a space; longer runs and a run at the start of a line alternate
  // non-breaking and ordinary spaces, starting with a non-breaking one, so that none collapses.
  void spaces(size_t count) {
    if (count == 1 && !lineStart_) {
      out_ += ' ';
    } else {
      for (size_t k = 0; k < count; ++k) out_ += k % 2 == 0 ? "&nbsp;" : " ";
    }
    lineStart_ = false;
  }

  void lineBreak() {
    out_ += lineBreak_;
    lineStart_ = true;
  }

  std::string& out_;
  const std::set<std::string>& excluded_;
  const char* lineBreak_;
  bool lineStart_ = true;
};

// For a large text (see textCountedBeforeWriting), at least as many bytes as BodyWriter writes for it: markup for
// line breaks, tabs and the characters escaped, and for spaces that may become "&nbsp;"; for a shorter one, its size.
size_t bodySizeBound(std::string_view text) {
  if (text.size() < textCountedBeforeWriting) return text.size();
  // What each byte may add to the text, looked up rather than decided: this runs over every byte. U+2028 and
  // U+2029 (which start with 0xE2) become "<br>"; a space may become "&nbsp;" only at the start of a line or next
  // to another space.
  static constexpr std::array<uint8_t, 256> added = [] {
    std::array<uint8_t, 256> made{};
    made['\n'] = made['\r'] = made['\t'] = made['<'] = made['>'] = 3;
    made['&'] = 4;
    made[0xE2] = 1;
    return made;
  }();
  const auto mayStartSpaces = [](char c) { return c == '\n' || c == '\r' || c == '\xA8' || c == '\xA9' || c == ' '; };
  size_t size = text.size();
  for (size_t i = 0; i < text.size(); ++i) {
    size += added[static_cast<unsigned char>(text[i])];
    if (text[i] == ' ' && (i == 0 || i + 1 == text.size() || text[i + 1] == ' ' || mayStartSpaces(text[i - 1]))) {
      size += 5;
    }
  }
  return size;
}

}  // namespace

std::string writeHtml(const AttributedString& text, const std::set<std::string>& excludedElements,
                      const std::map<std::string, std::string>& metadata) {
  const std::vector<AttributedString::Run> runs = text.runs();
  // Room for the body and the links.
  size_t size = bodySizeBound(text.string()) + 96;
  for (const AttributedString::Run& run : runs) {
    if (!run.attributes.link) continue;
    const std::string& url = run.attributes.link->absoluteString();
    size += url.size() + 16 + 5 * static_cast<size_t>(std::count_if(url.begin(), url.end(), [](char c) {
                                return c == '&' || c == '<' || c == '>' || c == '"';
                              }));
  }
  for (const auto& [name, content] : metadata) size += 6 * (name.size() + content.size()) + 32;
  std::string out;
  out.reserve(size);
  auto tag = [&](const char* element, const char* markup) {
    if (excludedElements.count(element) == 0) out += markup;
  };
  tag("html", "<html>");
  tag("head", "<head>");
  tag("meta", "<meta charset=\"utf-8\">");
  if (excludedElements.count("meta") == 0) {
    for (const auto& [name, content] : metadata) {
      out += "<meta name=\"";
      for (char c : name) appendEscaped(out, c, true);
      out += "\" content=\"";
      for (char c : content) appendEscaped(out, c, true);
      out += "\">";
    }
  }
  tag("head", "</head>");
  tag("body", "<body>");
  BodyWriter body(out, excludedElements);
  const bool linksExcluded = body.excluded("a");
  for (const AttributedString::Run& run : runs) {
    std::string_view part = std::string_view(text.string()).substr(run.range.location, run.range.length);
    bool link = run.attributes.link && !linksExcluded;
    if (link) {
      out += "<a href=\"";
      for (char c : run.attributes.link->absoluteString()) {
        if (c == '&' || c == '<' || c == '>' || c == '"') {
          appendEscaped(out, c, true);
        } else {
          out += c;
        }
      }
      out += "\">";
    }
    body.text(part);
    if (link) out += "</a>";
  }
  tag("body", "</body>");
  tag("html", "</html>");
  return out;
}

}  // namespace platform
