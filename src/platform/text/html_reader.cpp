#include "platform/text/html_reader.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "platform/core/ascii.h"
#include "platform/text/grapheme.h"
#include "platform/text/html_input_encoding.h"
#include "platform/text/keyword_table.h"
#include "platform/text/link_spans.h"
#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace platform {

namespace {

constexpr size_t maxInputSize = 64u << 20;
constexpr size_t npos = std::string::npos;

std::string trimmedHref(std::string_view href) {
  std::string result;
  size_t begin = 0;
  size_t end = href.size();
  while (begin < end && static_cast<unsigned char>(href[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(href[end - 1]) <= 0x20) --end;
  const std::string_view trimmed = href.substr(begin, end - begin);
  if (trimmed.find_first_of("\t\n\r") == std::string_view::npos) return std::string(trimmed);
  for (size_t i = begin; i < end; ++i) {
    if (href[i] != '\t' && href[i] != '\n' && href[i] != '\r') result += href[i];
  }
  return result;
}

// The text and links of the document, built with the whitespace rules of rendered HTML.
class TextBuilder {
 public:
  void inlineText(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
      if (isAsciiWhitespace(text[i])) {
        pendingSpace_ = true;
        ++i;
        continue;
      }
      size_t end = i;
      while (end < text.size() && !isAsciiWhitespace(text[end])) ++end;
      if (pendingSpace_ && !atLineStart()) append(" ");
      pendingSpace_ = false;
      content(text.substr(i, end - i));
      i = end;
    }
  }

  void preformattedText(std::string_view text) {
    if (dropLeadingNewline_) {
      if (text.starts_with("\r\n")) {
        text.remove_prefix(2);
      } else if (!text.empty() && text[0] == '\n') {
        text.remove_prefix(1);
      }
    }
    if (text.empty()) return;
    std::string normalized;
    normalized.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
      normalized += text[i];
    }
    if (pendingSpace_ && !atLineStart()) append(" ");
    pendingSpace_ = false;
    content(normalized);
  }

  void startPreformatted() { dropLeadingNewline_ = true; }

  // Block breaks wait for the next content, so that a block right after a list marker or a cell separator
  // (<li><p>, <td><p>) does not split its line, and a cell's last block does not end its row.
  void blockBreak(bool opening) {
    pendingSpace_ = false;
    if (opening && afterSeparator_) return;
    if (!text_.empty() && text_.back() != '\n') pendingBreak_ = true;
  }

  void lineBreak() {
    pendingSpace_ = false;
    append("\xE2\x80\xA8");
  }

  // A list marker or a cell separator: spaces right after it are dropped like at the start of a line.
  void listMarker(std::string_view text) {
    pendingSpace_ = false;
    append(text);
    afterSeparator_ = true;
  }

  void cellSeparator() {
    pendingSpace_ = false;
    pendingBreak_ = false;
    append("\t");
    afterSeparator_ = true;
  }

  void openLink(std::optional<std::string> href) { links_.push_back({npos, std::move(href)}); }

  void closeLink() {
    if (links_.empty()) return;
    OpenLink link = std::move(links_.back());
    links_.pop_back();
    if (link.href && link.start != npos && link.start < text_.size()) {
      spans_.push_back({link.start, text_.size(), std::move(*link.href)});
    }
  }

  // The text with its links, each href turned into a URL by `resolve`.
  template <class Resolve>
  AttributedString finish(Resolve&& resolve) {
    while (!links_.empty()) closeLink();
    flushBreak();
    // The text grew by doubling; a large one keeps the room it needs, while the pass works on it.
    if (text_.capacity() - text_.size() > text_.size() / 8) text_.shrink_to_fit();
    AttributedString result(std::move(text_));
    setLinks(result, spans_, resolve);
    return result;
  }

 private:
  struct OpenLink {
    size_t start;
    std::optional<std::string> href;
  };

  bool atLineStart() const {
    if (text_.empty() || afterSeparator_ || pendingBreak_) return true;
    if (text_.back() == '\n') return true;
    return text_.ends_with("\xE2\x80\xA8");
  }

  void flushBreak() {
    if (pendingBreak_) text_ += '\n';
    pendingBreak_ = false;
  }

  void append(std::string_view text) {
    flushBreak();
    text_.append(text);
    afterSeparator_ = false;
    dropLeadingNewline_ = false;
  }

  void content(std::string_view text) {
    // A waiting block break belongs to the block, not to a link that opens its content.
    flushBreak();
    for (OpenLink& link : links_) {
      if (link.start == npos) link.start = text_.size();
    }
    append(text);
  }

  std::string text_;
  bool pendingSpace_ = false;
  bool afterSeparator_ = false;
  bool dropLeadingNewline_ = false;
  bool pendingBreak_ = false;
  std::vector<OpenLink> links_;
  std::vector<LinkSpan> spans_;
};

struct ListFrame {
  bool ordered;
  long counter;
};

std::string listMarker(size_t depth, ListFrame* list) {
  std::string marker(depth, '\t');
  if (list != nullptr && list->ordered) {
    marker += std::to_string(list->counter++) + ".";
  } else {
    marker += depth <= 1 ? "\xE2\x80\xA2" : (depth == 2 ? "\xE2\x97\xA6" : "\xE2\x96\xAA");
  }
  marker += "\t";
  return marker;
}

// What an element means for the text, looked up once per start tag.
enum ElementFlag : uint16_t {
  block = 1 << 0,
  skipped = 1 << 1,
  preserving = 1 << 2,
  unorderedList = 1 << 3,
  orderedList = 1 << 4,
  listItem = 1 << 5,
  tableRow = 1 << 6,
  tableCell = 1 << 7,
  anchor = 1 << 8,
  lineBreak = 1 << 9,
  image = 1 << 10,
  baseElement = 1 << 11,
};

uint16_t elementFlags(std::string_view name) {
  static const KeywordTable<uint16_t> flags = [] {
    KeywordTable<uint16_t> table;
    for (std::string_view name :
         {"address", "article", "aside", "blockquote", "caption",    "center",  "dd",     "details", "dialog", "dir",
          "div",     "dl",      "dt",    "fieldset",   "figcaption", "figure",  "footer", "form",    "h1",     "h2",
          "h3",      "h4",      "h5",    "h6",         "header",     "hgroup",  "hr",     "li",      "main",   "menu",
          "nav",     "ol",      "p",     "pre",        "section",    "summary", "table",  "tr",      "ul"}) {
      table[name] |= block;
    }
    for (std::string_view name : {"head", "script", "style", "template", "title"}) table[name] |= skipped;
    for (std::string_view name : {"pre", "textarea", "listing", "plaintext"}) table[name] |= preserving;
    for (std::string_view name : {"ul", "menu", "dir"}) table[name] |= unorderedList;
    table["ol"] |= orderedList;
    table["li"] |= listItem;
    table["tr"] |= tableRow;
    table["td"] |= tableCell;
    table["th"] |= tableCell;
    table["a"] |= anchor;
    table["br"] |= lineBreak;
    table["img"] |= image;
    table["base"] |= baseElement;
    return table;
  }();
  return flags.find(name);
}

std::optional<std::string> attribute(const xmlChar** attributes, const char* name) {
  if (attributes == nullptr) return std::nullopt;
  for (size_t i = 0; attributes[i] != nullptr; i += 2) {
    if (std::strcmp(reinterpret_cast<const char*>(attributes[i]), name) == 0) {
      return attributes[i + 1] != nullptr ? reinterpret_cast<const char*>(attributes[i + 1]) : "";
    }
  }
  return std::nullopt;
}

std::optional<long> parseNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isAsciiWhitespace(text[i])) ++i;
  bool negative = i < text.size() && text[i] == '-';
  if (negative || (i < text.size() && text[i] == '+')) ++i;
  long value = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    if (value < 1000000000L) value = value * 10 + (text[i] - '0');
  }
  if (digits == 0) return std::nullopt;
  return negative ? -value : value;
}

// Builds the text from the parser's events: no document tree is kept.
class HtmlTextReader {
 public:
  void startElement(const char* name, const xmlChar** attributes) {
    uint16_t flags = elementFlags(name);
    if ((flags & baseElement) && !base_) {
      if (std::optional<std::string> href = attribute(attributes, "href")) base_ = Url::parse(trimmedHref(*href));
    }
    if (skipping_ > 0 || (flags & (skipped | image)) || attribute(attributes, "hidden")) {
      ++skipping_;
      open_.push_back({name, flags, true});
      return;
    }
    open_.push_back({name, flags, false});
    if (flags & block) builder_.blockBreak(true);
    if (flags & preserving) {
      ++preformatted_;
      builder_.startPreformatted();
    }
    if (flags & lineBreak) {
      builder_.lineBreak();
    } else if (flags & unorderedList) {
      lists_.push_back({false, 1});
    } else if (flags & orderedList) {
      long start = 1;
      if (std::optional<std::string> value = attribute(attributes, "start")) start = parseNumber(*value).value_or(1);
      lists_.push_back({true, start});
    } else if (flags & listItem) {
      ListFrame* list = lists_.empty() ? nullptr : &lists_.back();
      if (list != nullptr && list->ordered) {
        if (std::optional<std::string> value = attribute(attributes, "value")) {
          if (std::optional<long> number = parseNumber(*value)) list->counter = *number;
        }
      }
      builder_.listMarker(listMarker(std::max<size_t>(lists_.size(), 1), list));
    } else if (flags & tableRow) {
      cellsInRow_.push_back(0);
    } else if (flags & tableCell) {
      if (!cellsInRow_.empty() && cellsInRow_.back()++ > 0) builder_.cellSeparator();
    } else if (flags & anchor) {
      builder_.openLink(attribute(attributes, "href"));
    }
  }

  void endElement(const char* name) {
    // The parser closes what it opened; an unmatched end is ignored.
    auto match = std::find_if(open_.rbegin(), open_.rend(), [name](const OpenElement& e) { return e.name == name; });
    if (match == open_.rend()) return;
    while (!open_.empty()) {
      OpenElement element = std::move(open_.back());
      open_.pop_back();
      leave(element);
      if (element.name == name) break;
    }
  }

  void characters(std::string_view text) {
    if (skipping_ > 0) return;
    // Control characters other than whitespace show nothing in a browser.
    auto isControl = [](char c) {
      auto b = static_cast<unsigned char>(c);
      return (b < 0x20 && !isAsciiWhitespace(c)) || b == 0x7F;
    };
    std::string visible;
    if (std::any_of(text.begin(), text.end(), isControl)) {
      std::copy_if(text.begin(), text.end(), std::back_inserter(visible), [&](char c) { return !isControl(c); });
      text = visible;
    }
    if (preformatted_ > 0) {
      builder_.preformattedText(text);
    } else {
      builder_.inlineText(text);
    }
  }

  std::optional<AttributedString> finish() {
    while (!open_.empty()) {
      leave(open_.back());
      open_.pop_back();
    }
    return builder_.finish([this](const std::string& href) { return linkTarget(href); });
  }

 private:
  struct OpenElement {
    std::string name;
    uint16_t flags;
    bool skipping;
  };

  void leave(const OpenElement& element) {
    if (element.skipping) {
      --skipping_;
      return;
    }
    uint16_t flags = element.flags;
    if (flags & (unorderedList | orderedList)) {
      if (!lists_.empty()) lists_.pop_back();
    } else if (flags & tableRow) {
      if (!cellsInRow_.empty()) cellsInRow_.pop_back();
    } else if (flags & anchor) {
      builder_.closeLink();
    }
    if (flags & preserving) --preformatted_;
    if (flags & block) builder_.blockBreak(false);
  }

  // The href resolved against the document's first <base href>, else as written; no link for script and
  // data URLs.
  std::optional<Url> linkTarget(const std::string& href) const {
    std::string reference = trimmedHref(href);
    std::optional<Url> url = base_ ? Url::resolve(reference, *base_) : Url::parse(reference);
    if (!url) return std::nullopt;
    if (url->hasScheme("javascript") || url->hasScheme("data")) return std::nullopt;
    return url;
  }

  std::optional<Url> base_;
  TextBuilder builder_;
  std::vector<OpenElement> open_;
  std::vector<ListFrame> lists_;
  std::vector<size_t> cellsInRow_;
  int preformatted_ = 0;
  int skipping_ = 0;
};

void onStartElement(void* reader, const xmlChar* name, const xmlChar** attributes) {
  static_cast<HtmlTextReader*>(reader)->startElement(reinterpret_cast<const char*>(name), attributes);
}

void onEndElement(void* reader, const xmlChar* name) {
  static_cast<HtmlTextReader*>(reader)->endElement(reinterpret_cast<const char*>(name));
}

void onCharacters(void* reader, const xmlChar* text, int length) {
  static_cast<HtmlTextReader*>(reader)->characters(
      std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length)));
}

// The markup prepared for the parser, in `storage` when it differs from `html`, so that it reads as a browser
// shows it:
// - "<!" that opens neither a comment nor a document type is a comment up to the next ">" (office suites
//   write "<![if !supportLists]>" around list markers); the parser would keep it as text.
// - A fragment without <body> gets one in front: text at the top would otherwise sit in an implied
//   paragraph and end with a line break that the source does not have.
std::string_view preparedMarkup(std::string_view html, std::string& storage) {
  bool hasBody = false;
  for (size_t at = html.find('<'); at != std::string_view::npos && !hasBody; at = html.find('<', at + 1)) {
    hasBody = startsWithIgnoringAsciiCase(html.substr(at), "<body");
  }
  if (!hasBody) storage = "<body>";
  size_t copied = 0;
  for (size_t at = html.find("<!"); at != std::string_view::npos; at = html.find("<!", at + 2)) {
    if (html.substr(at).starts_with("<!--") || startsWithIgnoringAsciiCase(html.substr(at), "<!doctype")) continue;
    size_t close = html.find('>', at);
    // Never across another tag, so that a stray "<!" cannot swallow the markup after it.
    if (close == std::string_view::npos || html.substr(at + 2, close - at - 2).find('<') != std::string_view::npos) {
      continue;
    }
    storage.append(html.substr(copied, at - copied));
    copied = close + 1;
    at = close - 1;
  }
  if (hasBody && copied == 0) return html;  // nothing to change
  storage.append(html.substr(copied));
  return storage;
}

}  // namespace

std::optional<AttributedString> readHtml(std::string_view data) {
  if (data.size() > maxInputSize) return std::nullopt;
  std::string converted;
  std::string prepared;
  const std::string_view utf8 = preparedMarkup(htmlInputAsUtf8(data, converted), prepared);
  if (utf8.size() > maxInputSize) return std::nullopt;
  htmlSAXHandler handler{};
  handler.startElement = onStartElement;
  handler.endElement = onEndElement;
  handler.characters = onCharacters;
  handler.cdataBlock = onCharacters;
  HtmlTextReader reader;
  htmlParserCtxtPtr context = htmlCreatePushParserCtxt(&handler, &reader, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
  if (context == nullptr) return std::nullopt;
  htmlCtxtUseOptions(context, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                                  HTML_PARSE_NODEFDTD | HTML_PARSE_IGNORE_ENC);
  htmlParseChunk(context, utf8.data(), static_cast<int>(utf8.size()), 1);
  htmlFreeParserCtxt(context);
  return reader.finish();
}

}  // namespace platform
