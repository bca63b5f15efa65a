#include "platform/text/html_reader.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/text/grapheme.h"
#include "platform/text/html_input_encoding.h"
#include "platform/text/utf8.h"

namespace platform {

namespace {

constexpr size_t maxInputSize = 64u << 20;
constexpr size_t npos = std::string::npos;

bool named(const xmlNode* node, const char* name) {
  return node->name != nullptr && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool namedAny(const xmlNode* node, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (named(node, name)) return true;
  }
  return false;
}

std::optional<std::string> attribute(const xmlNode* node, const char* name) {
  for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
    if (attr->name == nullptr || std::strcmp(reinterpret_cast<const char*>(attr->name), name) != 0) continue;
    std::string value;
    for (const xmlNode* child = attr->children; child != nullptr; child = child->next) {
      if (child->content != nullptr) value += reinterpret_cast<const char*>(child->content);
    }
    return value;
  }
  return std::nullopt;
}

bool hasAttribute(const xmlNode* node, const char* name) { return attribute(node, name).has_value(); }

bool isBlock(const xmlNode* node) {
  return namedAny(node, {"address", "article", "aside", "blockquote", "caption", "center", "dd", "details", "dialog",
                         "dir", "div", "dl", "dt", "fieldset", "figcaption", "figure", "footer", "form", "h1", "h2",
                         "h3", "h4", "h5", "h6", "header", "hgroup", "hr", "li", "main", "menu", "nav", "ol", "p",
                         "pre", "section", "summary", "table", "tr", "ul"});
}

bool isSkipped(const xmlNode* node) {
  return namedAny(node, {"head", "script", "style", "template", "title"}) || hasAttribute(node, "hidden");
}

bool preservesWhitespace(const xmlNode* node) { return namedAny(node, {"pre", "textarea", "listing", "plaintext"}); }

bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string trimmedHref(std::string_view href) {
  std::string result;
  size_t begin = 0;
  size_t end = href.size();
  while (begin < end && static_cast<unsigned char>(href[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(href[end - 1]) <= 0x20) --end;
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
      if (isAsciiSpace(text[i])) {
        pendingSpace_ = true;
        ++i;
        continue;
      }
      size_t end = i;
      while (end < text.size() && !isAsciiSpace(text[end])) ++end;
      if (pendingSpace_ && !atLineStart()) append(" ");
      pendingSpace_ = false;
      content(text.substr(i, end - i));
      i = end;
    }
  }

  void preformattedText(std::string_view text) {
    if (dropLeadingNewline_) {
      if (text.substr(0, 2) == "\r\n") {
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

  void openLink(std::optional<Url> url) { links_.push_back({npos, std::move(url)}); }

  void closeLink() {
    OpenLink link = std::move(links_.back());
    links_.pop_back();
    if (link.url && link.start != npos && link.start < text_.size()) {
      spans_.push_back({link.start, text_.size(), std::move(*link.url)});
    }
  }

  std::optional<AttributedString> finish() {
    while (!links_.empty()) closeLink();
    flushBreak();
    bool blank = true;
    for (size_t i = 0; i < text_.size() && blank;) {
      DecodedScalar scalar = decodeUtf8(text_, i);
      blank = isWhitespaceScalar(scalar.scalar);
      i += scalar.length;
    }
    if (blank) return std::nullopt;
    AttributedString result(std::move(text_));
    // Outer links close last; applying in reverse lets an inner link win.
    for (auto it = spans_.rbegin(); it != spans_.rend(); ++it) {
      result.setLink(ByteRange::fromBounds(it->start, it->end), it->url);
    }
    return result;
  }

 private:
  struct OpenLink {
    size_t start;
    std::optional<Url> url;
  };
  struct LinkSpan {
    size_t start;
    size_t end;
    Url url;
  };

  bool atLineStart() const {
    if (text_.empty() || afterSeparator_ || pendingBreak_) return true;
    if (text_.back() == '\n') return true;
    return text_.size() >= 3 && text_.compare(text_.size() - 3, 3, "\xE2\x80\xA8") == 0;
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

const xmlNode* firstBaseElement(const xmlNode* document) {
  std::vector<const xmlNode*> stack{document->children};
  while (!stack.empty()) {
    const xmlNode* node = stack.back();
    stack.pop_back();
    for (; node != nullptr; node = node->next) {
      if (node->type != XML_ELEMENT_NODE) continue;
      if (named(node, "base") && hasAttribute(node, "href")) return node;
      if (node->children != nullptr) {
        if (node->next != nullptr) stack.push_back(node->next);
        stack.push_back(node->children);
        break;
      }
    }
  }
  return nullptr;
}

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

class DocumentWalker {
 public:
  explicit DocumentWalker(const xmlNode* root) : root_(root) {
    if (const xmlNode* base = firstBaseElement(root)) base_ = Url::parse(trimmedHref(*attribute(base, "href")));
  }

  std::optional<AttributedString> walk() {
    struct Frame {
      const xmlNode* node;
      bool leaving;
    };
    std::vector<Frame> stack{{root_, false}};
    while (!stack.empty()) {
      Frame frame = stack.back();
      stack.pop_back();
      if (frame.leaving) {
        leave(frame.node);
        continue;
      }
      if (!enter(frame.node)) continue;
      stack.push_back({frame.node, true});
      // Children in reverse, so that the first is handled first.
      const xmlNode* last = frame.node->children;
      if (last == nullptr) continue;
      while (last->next != nullptr) last = last->next;
      for (const xmlNode* child = last; child != nullptr; child = child->prev) stack.push_back({child, false});
    }
    return builder_.finish();
  }

 private:
  // Handles the start of a node; false when its content is not read.
  bool enter(const xmlNode* node) {
    switch (node->type) {
      case XML_TEXT_NODE:
      case XML_CDATA_SECTION_NODE:
        if (node->content != nullptr) {
          std::string_view text(reinterpret_cast<const char*>(node->content));
          if (preformatted_ > 0) {
            builder_.preformattedText(text);
          } else {
            builder_.inlineText(text);
          }
        }
        return false;
      case XML_ELEMENT_NODE:
        break;
      case XML_DOCUMENT_NODE:
      case XML_HTML_DOCUMENT_NODE:
        return true;
      default:
        return false;
    }
    if (isSkipped(node) || named(node, "img")) return false;
    if (isBlock(node)) builder_.blockBreak(true);
    if (preservesWhitespace(node)) {
      ++preformatted_;
      builder_.startPreformatted();
    }
    if (named(node, "br")) {
      builder_.lineBreak();
    } else if (namedAny(node, {"ul", "menu", "dir"})) {
      lists_.push_back({false, 1});
    } else if (named(node, "ol")) {
      long start = 1;
      if (std::optional<std::string> value = attribute(node, "start")) start = parseNumber(*value).value_or(1);
      lists_.push_back({true, start});
    } else if (named(node, "li")) {
      ListFrame* list = lists_.empty() ? nullptr : &lists_.back();
      if (list != nullptr && list->ordered) {
        if (std::optional<std::string> value = attribute(node, "value")) {
          if (std::optional<long> number = parseNumber(*value)) list->counter = *number;
        }
      }
      builder_.listMarker(listMarker(std::max<size_t>(lists_.size(), 1), list));
    } else if (named(node, "tr")) {
      cellsInRow_.push_back(0);
    } else if (namedAny(node, {"td", "th"})) {
      if (!cellsInRow_.empty() && cellsInRow_.back()++ > 0) builder_.cellSeparator();
    } else if (named(node, "a")) {
      builder_.openLink(linkTarget(node));
    }
    return true;
  }

  void leave(const xmlNode* node) {
    if (node->type != XML_ELEMENT_NODE) return;
    if (namedAny(node, {"ul", "menu", "dir", "ol"})) {
      lists_.pop_back();
    } else if (named(node, "tr")) {
      cellsInRow_.pop_back();
    } else if (named(node, "a")) {
      builder_.closeLink();
    }
    if (preservesWhitespace(node)) --preformatted_;
    if (isBlock(node)) builder_.blockBreak(false);
  }

  std::optional<Url> linkTarget(const xmlNode* node) const {
    std::optional<std::string> href = attribute(node, "href");
    if (!href) return std::nullopt;
    std::string reference = trimmedHref(*href);
    std::optional<Url> url = base_ ? Url::resolve(reference, *base_) : Url::parse(reference);
    if (!url) return std::nullopt;
    std::string scheme = url->scheme().value_or("");
    for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (scheme == "javascript" || scheme == "data") return std::nullopt;
    return url;
  }

  static std::optional<long> parseNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isAsciiSpace(text[i])) ++i;
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

  const xmlNode* root_;
  std::optional<Url> base_;
  TextBuilder builder_;
  std::vector<ListFrame> lists_;
  std::vector<size_t> cellsInRow_;
  int preformatted_ = 0;
};

bool startsWithIgnoringCase(std::string_view text, size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[at + i];
    if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != prefix[i]) return false;
  }
  return true;
}

// Prepares the markup for the parser so that it reads as a browser shows it:
// - "<!" that opens neither a comment nor a document type is a comment up to the next ">" (office suites
//   write "<![if !supportLists]>" around list markers); the parser would keep it as text.
// - A fragment without <body> gets one in front: text at the top would otherwise sit in an implied
//   paragraph and end with a line break that the source does not have.
std::string preparedMarkup(std::string_view html) {
  std::string result;
  bool hasBody = false;
  for (size_t at = html.find('<'); at != std::string_view::npos && !hasBody; at = html.find('<', at + 1)) {
    hasBody = startsWithIgnoringCase(html, at, "<body");
  }
  if (!hasBody) result = "<body>";
  size_t copied = 0;
  for (size_t at = html.find("<!"); at != std::string_view::npos; at = html.find("<!", at + 2)) {
    if (html.compare(at, 4, "<!--") == 0 || startsWithIgnoringCase(html, at, "<!doctype")) continue;
    size_t close = html.find('>', at);
    // Never across another tag, so that a stray "<!" cannot swallow the markup after it.
    if (close == std::string_view::npos || html.substr(at + 2, close - at - 2).find('<') != std::string_view::npos) {
      continue;
    }
    result.append(html.substr(copied, at - copied));
    copied = close + 1;
    at = close - 1;
  }
  result.append(html.substr(copied));
  return result;
}

struct DocumentDeleter {
  void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

}  // namespace

std::optional<AttributedString> readHtml(std::string_view data) {
  if (data.size() > maxInputSize) return std::nullopt;
  std::string utf8 = preparedMarkup(htmlInputAsUtf8(data));
  if (utf8.size() > maxInputSize) return std::nullopt;
  std::unique_ptr<xmlDoc, DocumentDeleter> document(
      htmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8",
                     HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                         HTML_PARSE_NODEFDTD | HTML_PARSE_IGNORE_ENC));
  if (!document) return std::nullopt;
  return DocumentWalker(reinterpret_cast<const xmlNode*>(document.get())).walk();
}

}  // namespace platform
