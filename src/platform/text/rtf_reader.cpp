#include "platform/text/rtf_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/ascii.h"
#include "platform/text/keyword_table.h"
#include "platform/text/link_spans.h"
#include "platform/text/rtf_code_page.h"
#include "platform/text/rtf_field_instruction.h"
#include "platform/text/utf8.h"

namespace platform {

namespace {

// Nested groups that each change the reading state (destination, font, Unicode skip) are kept one by one, up to
// this many; deeper such nesting gives up the reading. Nested groups that change nothing of it (formatting such as
// bold or italic) share one entry, however deep they go.
constexpr size_t maxGroupStates = 4096;
constexpr size_t npos = std::string::npos;

enum class Destination {
  text,              // document text
  fieldInstruction,  // collected into the innermost field's instruction
  fontTable,         // read for the charsets of the fonts
  alternate,         // \upr: its first form is dropped, \ud switches back to text
  skip,
};

struct GroupState {
  Destination destination = Destination::text;
  Destination beforeAlternate = Destination::text;
  int unicodeSkip = 1;
  int font = -1;
  bool operator==(const GroupState&) const = default;
};

// The state to restore when a group ends, saved by `groups` nested groups in a row.
struct SavedState {
  GroupState state;
  size_t groups;
};

struct Field {
  size_t depth;  // group depth of the \field group
  std::string instruction;
  size_t resultStart = npos;
};

// The control words the reader acts on; every other word is `other`.
enum class Word {
  other,
  bin,
  ud,
  upr,
  f,
  fcharset,
  cpg,
  fldinst,
  fldrslt,
  fonttbl,
  skippedDestination,  // destinations whose content is not text
  listMarker,          // \listtext and \pntext: list markers are text
  u,
  uc,
  plain,
  deff,
  ansicpg,
  mac,
  pc,
  pca,
  field,
  paragraphBreak,  // \par, \row, \page, \sect, \nestrow
  line,
  tab,  // \tab, \cell, \nestcell
  bullet,
  emdash,
  endash,
  lquote,
  rquote,
  ldblquote,
  rdblquote,
};

Word wordNamed(std::string_view name) {
  static const KeywordTable<Word> words = [] {
    KeywordTable<Word> table;
    using Entry = std::pair<std::string_view, Word>;
    for (const auto& [name, word] : {Entry{"bin", Word::bin},
                                     Entry{"ud", Word::ud},
                                     Entry{"upr", Word::upr},
                                     Entry{"f", Word::f},
                                     Entry{"fcharset", Word::fcharset},
                                     Entry{"cpg", Word::cpg},
                                     Entry{"fldinst", Word::fldinst},
                                     Entry{"fldrslt", Word::fldrslt},
                                     Entry{"fonttbl", Word::fonttbl},
                                     Entry{"listtext", Word::listMarker},
                                     Entry{"pntext", Word::listMarker},
                                     Entry{"u", Word::u},
                                     Entry{"uc", Word::uc},
                                     Entry{"plain", Word::plain},
                                     Entry{"deff", Word::deff},
                                     Entry{"ansicpg", Word::ansicpg},
                                     Entry{"mac", Word::mac},
                                     Entry{"pc", Word::pc},
                                     Entry{"pca", Word::pca},
                                     Entry{"field", Word::field},
                                     Entry{"par", Word::paragraphBreak},
                                     Entry{"row", Word::paragraphBreak},
                                     Entry{"page", Word::paragraphBreak},
                                     Entry{"sect", Word::paragraphBreak},
                                     Entry{"nestrow", Word::paragraphBreak},
                                     Entry{"line", Word::line},
                                     Entry{"tab", Word::tab},
                                     Entry{"cell", Word::tab},
                                     Entry{"nestcell", Word::tab},
                                     Entry{"bullet", Word::bullet},
                                     Entry{"emdash", Word::emdash},
                                     Entry{"endash", Word::endash},
                                     Entry{"lquote", Word::lquote},
                                     Entry{"rquote", Word::rquote},
                                     Entry{"ldblquote", Word::ldblquote},
                                     Entry{"rdblquote", Word::rdblquote}}) {
      table[name] = word;
    }
    for (std::string_view name : {"colortbl",
                                  "stylesheet",
                                  "info",
                                  "pict",
                                  "object",
                                  "header",
                                  "headerl",
                                  "headerr",
                                  "headerf",
                                  "footer",
                                  "footerl",
                                  "footerr",
                                  "footerf",
                                  "listtable",
                                  "listoverridetable",
                                  "revtbl",
                                  "themedata",
                                  "colorschememapping",
                                  "datastore",
                                  "latentstyles",
                                  "generator",
                                  "nonshppict",
                                  "pn",
                                  "pntxta",
                                  "pntxtb",
                                  "xmlnstbl",
                                  "rsidtbl",
                                  "mmathPr",
                                  "filetbl",
                                  "fldtype",
                                  "objdata",
                                  "bkmkstart",
                                  "bkmkend",
                                  "template",
                                  "expandedcolortbl"}) {
      table[name] = Word::skippedDestination;
    }
    return table;
  }();
  return words.find(name, Word::other);
}

class RtfReader {
 public:
  explicit RtfReader(std::string_view data) : in_(data) {}

  // Nothing when the groups nest too deeply to be read whole.
  std::optional<AttributedString> read(size_t start);

 private:
  bool openGroup();   // false when the nesting is too deep
  bool closeGroup();  // false when the document's outermost group closed
  // The tokens of the input, from the current position.
  bool readControl();  // after a backslash; false when the input ends there
  void readControlWord();
  void readHexByte();
  void readCharacters();
  void skipToNextToken();
  void readTextCharacters();

  // What a control word does, by the destination it comes in.
  void controlWord(std::string_view name, bool hasParameter, int32_t parameter);
  void alternateWord(Word word);
  void fontTableWord(Word word, bool hasParameter, int32_t parameter, bool starred);
  void textWord(std::string_view name, Word word, bool hasParameter, int32_t parameter, bool starred);
  bool destinationWord(Word word);
  void unicodeWord(bool hasParameter, int32_t parameter);
  bool settingWord(Word word, bool hasParameter, int32_t parameter);
  bool characterWord(Word word);
  void controlSymbol(char symbol);
  void textByte(char byte);
  void flushBytes() {
    if (!pendingBytes_.empty()) decodePendingBytes();
  }
  void decodePendingBytes();
  void emit(std::string_view utf8);
  void emitCodePoint(char32_t c);
  void emitUnicodeUnit(int32_t value);
  void finishField();
  int currentCodePage() const;
  bool consumesFallback();

  std::string_view in_;
  size_t pos_ = 0;
  std::vector<SavedState> stack_;
  size_t depth_ = 0;
  GroupState state_;
  bool starred_ = false;  // the previous token was \*

  std::string text_;
  std::vector<LinkSpan> links_;
  std::vector<Field> fields_;

  std::string pendingBytes_;
  std::string decoded_;
  int pendingSkip_ = 0;  // fallback characters still to drop after \u
  char16_t highSurrogate_ = 0;

  RtfCodePageDecoder decoder_;
  int documentCodePage_ = 1252;
  bool explicitCodePage_ = false;
  int defaultFont_ = -1;
  int definingFont_ = -1;
  std::map<int, int> fontCodePages_;
};

int RtfReader::currentCodePage() const {
  auto found = fontCodePages_.find(state_.font);
  if (found != fontCodePages_.end() && found->second != 0) return found->second;
  return documentCodePage_;
}

bool RtfReader::consumesFallback() {
  if (pendingSkip_ <= 0) return false;
  --pendingSkip_;
  return true;
}

void RtfReader::decodePendingBytes() {
  decoded_.clear();
  decoder_.decode(currentCodePage(), pendingBytes_, decoded_);
  pendingBytes_.clear();
  emit(decoded_);
}

void RtfReader::emit(std::string_view utf8) {
  if (highSurrogate_ != 0) {
    highSurrogate_ = 0;
    emitCodePoint(0xFFFD);
  }
  switch (state_.destination) {
    case Destination::text:
      text_.append(utf8);
      break;
    case Destination::fieldInstruction:
      if (!fields_.empty()) fields_.back().instruction.append(utf8);
      break;
    default:
      break;
  }
}

void RtfReader::emitCodePoint(char32_t c) {
  char utf8[4];
  emit(std::string_view(utf8, encodeUtf8(c, utf8)));
}

void RtfReader::emitUnicodeUnit(int32_t value) {
  if (value < 0) value += 65536;
  if (value < 0 || value > 0xFFFF) value = 0xFFFD;
  auto unit = static_cast<char16_t>(value);
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    if (highSurrogate_ != 0) emit("");  // a lone high surrogate before this one
    highSurrogate_ = unit;
    return;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    if (highSurrogate_ == 0) {
      emitCodePoint(0xFFFD);
      return;
    }
    char32_t c = 0x10000 + ((static_cast<char32_t>(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00);
    highSurrogate_ = 0;
    emitCodePoint(c);
    return;
  }
  emitCodePoint(unit == 0 ? 0xFFFD : unit);
}

void RtfReader::textByte(char byte) {
  if (consumesFallback()) return;
  if (state_.destination == Destination::skip || state_.destination == Destination::alternate) return;
  if (state_.destination == Destination::fontTable) return;
  if (pendingBytes_.empty() && static_cast<unsigned char>(byte) < 0x80) {
    char c = byte;
    emit(std::string_view(&c, 1));
    return;
  }
  pendingBytes_ += byte;
}

bool RtfReader::openGroup() {
  flushBytes();
  pendingSkip_ = 0;
  starred_ = false;
  if (!stack_.empty() && stack_.back().state == state_) {
    ++stack_.back().groups;
  } else {
    if (stack_.size() >= maxGroupStates) return false;
    stack_.push_back({state_, 1});
  }
  ++depth_;
  return true;
}

bool RtfReader::closeGroup() {
  flushBytes();
  pendingSkip_ = 0;
  starred_ = false;
  if (!fields_.empty() && fields_.back().depth == depth_) finishField();
  if (depth_ == 0) return false;
  state_ = stack_.back().state;
  if (--stack_.back().groups == 0) stack_.pop_back();
  --depth_;
  return depth_ != 0;
}

void RtfReader::finishField() {
  Field field = std::move(fields_.back());
  fields_.pop_back();
  if (field.resultStart == npos || field.resultStart >= text_.size()) return;
  if (std::optional<std::string> target = hyperlinkTarget(field.instruction)) {
    links_.push_back({field.resultStart, text_.size(), std::move(*target)});
  }
}

void RtfReader::controlSymbol(char symbol) {
  switch (symbol) {
    case '\\':
    case '{':
    case '}':
      textByte(symbol);
      return;
    case '*':
      starred_ = true;
      return;
    case '\r':
    case '\n':
      controlWord("par", false, 0);
      return;
    default:
      break;
  }
  flushBytes();
  if (consumesFallback()) return;
  switch (symbol) {
    case '~':
      emitCodePoint(0x00A0);
      break;
    case '_':
      emitCodePoint(0x2011);
      break;
    case '-':
      break;
    default:
      break;
  }
}

void RtfReader::controlWord(std::string_view name, bool hasParameter, int32_t parameter) {
  const Word word = wordNamed(name);
  const bool starred = std::exchange(starred_, false);
  if (word == Word::bin) {
    flushBytes();
    size_t count = hasParameter && parameter > 0 ? static_cast<size_t>(parameter) : 0;
    pos_ += std::min(count, in_.size() - pos_);
    return;
  }
  switch (state_.destination) {
    case Destination::skip:
      return;
    case Destination::alternate:
      alternateWord(word);
      return;
    case Destination::fontTable:
      flushBytes();
      fontTableWord(word, hasParameter, parameter, starred);
      return;
    case Destination::text:
    case Destination::fieldInstruction:
      flushBytes();
      textWord(name, word, hasParameter, parameter, starred);
      return;
  }
}

void RtfReader::alternateWord(Word word) {
  if (word == Word::ud) state_.destination = state_.beforeAlternate;
}

void RtfReader::fontTableWord(Word word, bool hasParameter, int32_t parameter, bool starred) {
  if (word == Word::f && hasParameter) {
    definingFont_ = parameter;
  } else if (word == Word::fcharset && hasParameter && definingFont_ >= 0) {
    int codePage = codePageForRtfCharset(parameter);
    if (fontCodePages_.find(definingFont_) == fontCodePages_.end() || codePage != 0) {
      fontCodePages_[definingFont_] = codePage;
    }
  } else if (word == Word::cpg && hasParameter && definingFont_ >= 0 && parameter > 0) {
    fontCodePages_[definingFont_] = parameter;
  } else if (starred) {
    state_.destination = Destination::skip;
  }
}

// In the document text and in a field's instruction.
void RtfReader::textWord(std::string_view name, Word word, bool hasParameter, int32_t parameter, bool starred) {
  if (destinationWord(word)) return;
  if (starred) {
    state_.destination = Destination::skip;
    return;
  }
  if (word == Word::u) {
    unicodeWord(hasParameter, parameter);
    return;
  }
  if (consumesFallback()) return;
  if (settingWord(word, hasParameter, parameter) || characterWord(word)) return;
  if (state_.destination == Destination::fieldInstruction && name.size() == 1) {
    // A switch written without escaping its backslash (`\l "anchor"`).
    emit("\\");
    emit(name);
  }
}

bool RtfReader::destinationWord(Word word) {
  const Destination destination = state_.destination;
  switch (word) {
    case Word::fldinst:
      state_.destination = fields_.empty() ? Destination::skip : Destination::fieldInstruction;
      return true;
    case Word::fldrslt:
      if (!fields_.empty() && fields_.back().resultStart == npos) fields_.back().resultStart = text_.size();
      state_.destination = destination == Destination::fieldInstruction ? Destination::skip : destination;
      return true;
    case Word::ud:
      return true;  // outside \upr: its text is read
    case Word::upr:
      state_.beforeAlternate = destination;
      state_.destination = Destination::alternate;
      return true;
    case Word::fonttbl:
      state_.destination = Destination::fontTable;
      return true;
    case Word::skippedDestination:
      state_.destination = Destination::skip;
      return true;
    case Word::listMarker:
      return true;
    default:
      return false;
  }
}

void RtfReader::unicodeWord(bool hasParameter, int32_t parameter) {
  if (!hasParameter) return;
  if (consumesFallback()) return;
  emitUnicodeUnit(parameter);
  pendingSkip_ = state_.unicodeSkip;
}

// Character formatting and document settings.
bool RtfReader::settingWord(Word word, bool hasParameter, int32_t parameter) {
  switch (word) {
    case Word::uc:
      state_.unicodeSkip = hasParameter ? std::clamp(parameter, 0, 16) : 1;
      return true;
    case Word::f:
      if (hasParameter) state_.font = parameter;
      return true;
    case Word::plain:
      state_.font = defaultFont_;
      return true;
    case Word::deff:
      if (hasParameter) {
        defaultFont_ = parameter;
        if (state_.font < 0) state_.font = parameter;
      }
      return true;
    case Word::ansicpg:
      if (hasParameter && parameter > 0) {
        documentCodePage_ = parameter;
        explicitCodePage_ = true;
      }
      return true;
    case Word::mac:
      if (!explicitCodePage_) documentCodePage_ = 10000;
      return true;
    case Word::pc:
      if (!explicitCodePage_) documentCodePage_ = 437;
      return true;
    case Word::pca:
      if (!explicitCodePage_) documentCodePage_ = 850;
      return true;
    case Word::field:
      fields_.push_back({depth_, {}, npos});
      return true;
    default:
      return false;
  }
}

// Words that stand for characters of the text.
bool RtfReader::characterWord(Word word) {
  switch (word) {
    case Word::paragraphBreak:
      emit("\n");
      return true;
    case Word::line:
      emitCodePoint(0x2028);
      return true;
    case Word::tab:
      emit("\t");
      return true;
    case Word::bullet:
      emitCodePoint(0x2022);
      return true;
    case Word::emdash:
      emitCodePoint(0x2014);
      return true;
    case Word::endash:
      emitCodePoint(0x2013);
      return true;
    case Word::lquote:
      emitCodePoint(0x2018);
      return true;
    case Word::rquote:
      emitCodePoint(0x2019);
      return true;
    case Word::ldblquote:
      emitCodePoint(0x201C);
      return true;
    case Word::rdblquote:
      emitCodePoint(0x201D);
      return true;
    default:
      return false;
  }
}

std::optional<AttributedString> RtfReader::read(size_t start) {
  pos_ = start;
  while (pos_ < in_.size()) {
    const char c = in_[pos_];
    if (c == '{') {
      ++pos_;
      if (!openGroup()) return std::nullopt;
    } else if (c == '}') {
      ++pos_;
      if (!closeGroup()) break;
    } else if (c == '\\') {
      ++pos_;
      if (!readControl()) break;
    } else {
      readCharacters();
    }
  }
  flushBytes();
  if (highSurrogate_ != 0) emit("");
  while (!fields_.empty()) finishField();

  AttributedString result(std::move(text_));
  setLinks(result, links_, [](const std::string& target) { return Url::parse(target); });
  return result;
}

bool RtfReader::readControl() {
  if (pos_ >= in_.size()) return false;
  const char next = in_[pos_];
  if (isAsciiLetter(next)) {
    readControlWord();
    return true;
  }
  ++pos_;
  if (next == '\'') {
    readHexByte();
    return true;
  }
  if (next != '*') starred_ = false;
  if (state_.destination != Destination::skip) controlSymbol(next);
  return true;
}

void RtfReader::readControlWord() {
  size_t wordStart = pos_;
  while (pos_ < in_.size() && isAsciiLetter(in_[pos_])) ++pos_;
  std::string_view word = in_.substr(wordStart, pos_ - wordStart);
  bool negative = false;
  bool hasParameter = false;
  int64_t parameter = 0;
  if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && isAsciiDigit(in_[pos_ + 1])) {
    negative = true;
    ++pos_;
  }
  while (pos_ < in_.size() && isAsciiDigit(in_[pos_])) {
    hasParameter = true;
    if (parameter < 100000000000) parameter = parameter * 10 + (in_[pos_] - '0');
    ++pos_;
  }
  if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
  if (negative) parameter = -parameter;
  parameter = std::clamp<int64_t>(parameter, INT32_MIN, INT32_MAX);
  controlWord(word, hasParameter, static_cast<int32_t>(parameter));
}

void RtfReader::readHexByte() {
  int high = pos_ < in_.size() ? hexDigitValue(in_[pos_]) : -1;
  int low = pos_ + 1 < in_.size() ? hexDigitValue(in_[pos_ + 1]) : -1;
  starred_ = false;
  if (high < 0 || low < 0) return;
  pos_ += 2;
  textByte(static_cast<char>(high * 16 + low));
}

// Characters that are neither a group nor a control.
void RtfReader::readCharacters() {
  if (in_[pos_] == '\r' || in_[pos_] == '\n') {
    ++pos_;
    return;
  }
  starred_ = false;
  if (state_.destination == Destination::skip) {
    skipToNextToken();
  } else {
    readTextCharacters();
  }
}

void RtfReader::skipToNextToken() {
  while (pos_ < in_.size() && in_[pos_] != '{' && in_[pos_] != '}' && in_[pos_] != '\\') ++pos_;
}

void RtfReader::readTextCharacters() {
  const char c = in_[pos_];
  if (c == '\t') {
    ++pos_;
    if (consumesFallback()) return;
    flushBytes();
    emit("\t");
    return;
  }
  if (static_cast<unsigned char>(c) < 0x20) {
    ++pos_;
    return;
  }
  if (pendingBytes_.empty() && pendingSkip_ == 0 && highSurrogate_ == 0 && static_cast<unsigned char>(c) < 0x80 &&
      (state_.destination == Destination::text || state_.destination == Destination::fieldInstruction)) {
    // A run of plain characters at once.
    size_t end = pos_;
    while (end < in_.size()) {
      auto b = static_cast<unsigned char>(in_[end]);
      if (b < 0x20 || b >= 0x80 || b == '\\' || b == '{' || b == '}') break;
      ++end;
    }
    if (state_.destination == Destination::text) {
      text_.append(in_.substr(pos_, end - pos_));
    } else if (!fields_.empty()) {
      fields_.back().instruction.append(in_.substr(pos_, end - pos_));
    }
    pos_ = end;
    return;
  }
  ++pos_;
  textByte(c);
}

}  // namespace

std::optional<AttributedString> readRtf(std::string_view data) {
  size_t start = 0;
  while (start < data.size() && isAsciiWhitespace(data[start])) ++start;
  if (!data.substr(start).starts_with("{\\rtf")) return std::nullopt;
  RtfReader reader(data);
  return reader.read(start);
}

}  // namespace platform
