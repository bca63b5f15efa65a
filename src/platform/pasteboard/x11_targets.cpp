#include "platform/pasteboard/x11_targets.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "platform/text/utf8.h"

namespace platform::x11targets {

namespace {

// Most precise first: STRING is Latin-1, and TEXT is whatever the owner picks.
const std::vector<std::string> stringTargets = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain", "STRING",
                                                "TEXT"};
const std::vector<std::string> rtfTargets = {"text/rtf", "application/rtf", "text/richtext"};

bool contains(const std::vector<std::string>& list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Lines of a text/uri-list, without comments and line ends.
std::vector<std::string> uriListLines(std::string_view list) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\n', start);
    if (end == std::string_view::npos) end = list.size();
    std::string line(list.substr(start, end - start));
    while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) line.pop_back();
    if (!line.empty() && line.front() != '#') lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool hasFileEntry(std::string_view list) {
  auto lines = uriListLines(list);
  return std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("file://"); });
}

// Text that may come as UTF-16 (with a byte-order mark) or UTF-8.
std::string decodeText(std::string_view bytes) {
  auto utf16 = [&](bool bigEndian) {
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
      auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
      units.push_back(static_cast<char16_t>((hi << 8) | lo));
    }
    return toUtf8(units);
  };
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    return utf16(false);
  }
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
      static_cast<unsigned char>(bytes[1]) == 0xFF) {
    return utf16(true);
  }
  return sanitizedUtf8(bytes);
}

// text/x-moz-url is UTF-16 "url\ntitle" without a byte-order mark.
std::string decodeMozUrl(std::string_view bytes) {
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(
        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  std::string text = toUtf8(units);
  return text.substr(0, text.find('\n'));
}

enum class Logical { none, string, html, rtf, rtfd, fileUrl, url, tiff, color };

// Which logical type a target gives, given every offered target (a uri-list needs its content).
Logical logicalOf(const std::string& target, const TargetReader& read, std::optional<bool>& uriListHasFiles) {
  if (contains(stringTargets, target)) return Logical::string;
  if (target == "text/html") return Logical::html;
  if (contains(rtfTargets, target)) return Logical::rtf;
  if (target == PasteboardType::rtfd) return Logical::rtfd;
  if (target == "x-special/gnome-copied-files" || target == "application/x-kde-cutselection") return Logical::fileUrl;
  if (target == "text/uri-list") {
    if (!uriListHasFiles) {
      auto list = read(target);
      uriListHasFiles = list && hasFileEntry(*list);
    }
    return *uriListHasFiles ? Logical::fileUrl : Logical::url;
  }
  if (target == "text/x-moz-url" || target == "_NETSCAPE_URL") return Logical::url;
  if (target.starts_with("image/")) return Logical::tiff;
  if (target == "application/x-color") return Logical::color;
  return Logical::none;
}

const std::string& nameOf(Logical logical) {
  switch (logical) {
    case Logical::string:
      return PasteboardType::string;
    case Logical::html:
      return PasteboardType::html;
    case Logical::rtf:
      return PasteboardType::rtf;
    case Logical::rtfd:
      return PasteboardType::rtfd;
    case Logical::fileUrl:
      return PasteboardType::fileUrl;
    case Logical::url:
      return PasteboardType::url;
    case Logical::tiff:
      return PasteboardType::tiff;
    case Logical::color:
      return PasteboardType::color;
    case Logical::none:
      break;
  }
  static const std::string none;
  return none;
}

std::optional<std::string> firstOffered(const std::vector<std::string>& candidates,
                                        const std::vector<std::string>& targets) {
  for (const auto& candidate : candidates) {
    if (contains(targets, candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<Bytes> firstOf(const std::vector<std::string>& candidates, const std::vector<std::string>& targets,
                             const TargetReader& read) {
  for (const auto& candidate : candidates) {
    if (contains(targets, candidate)) {
      if (auto data = read(candidate)) return data;
    }
  }
  return std::nullopt;
}

std::string latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) appendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

// The text of a string target; STRING is Latin-1, and TEXT is taken as UTF-8 when it is valid.
std::string decodeString(const std::string& target, std::string_view bytes) {
  if (target == "STRING" || (target == "TEXT" && !isValidUtf8(bytes))) return latin1ToUtf8(bytes);
  return sanitizedUtf8(bytes);
}

bool hasSecretHint(const std::vector<std::string>& targets, const TargetReader& read) {
  if (!contains(targets, passwordHint)) return false;
  auto hint = read(passwordHint);
  if (!hint) return false;
  std::string value = *hint;
  while (!value.empty() && (value.back() == '\0' || value.back() == '\n')) value.pop_back();
  return value == "secret";
}

}  // namespace

std::vector<std::string> contentTargets(const std::vector<std::string>& formats) {
  static const std::set<std::string> protocol = {"TARGETS", "MULTIPLE",         "TIMESTAMP",       "SAVE_TARGETS",
                                                 "DELETE",  "INSERT_SELECTION", "INSERT_PROPERTY", "INCR"};
  std::vector<std::string> out;
  for (const auto& format : formats) {
    if (!format.empty() && protocol.count(format) == 0 && !contains(out, format)) out.push_back(format);
  }
  return out;
}

std::vector<std::string> logicalTypes(const std::vector<std::string>& targets, const TargetReader& read) {
  std::vector<std::string> logical, remaining;
  std::optional<bool> uriListHasFiles;
  for (const auto& target : targets) {
    Logical kind = logicalOf(target, read, uriListHasFiles);
    if (kind == Logical::none) {
      remaining.push_back(target);
    } else if (!contains(logical, nameOf(kind))) {
      logical.push_back(nameOf(kind));
    }
  }
  if (!contains(remaining, concealedType) && hasSecretHint(targets, read)) remaining.push_back(concealedType);
  logical.insert(logical.end(), remaining.begin(), remaining.end());
  return logical;
}

std::optional<Bytes> readType(const std::string& type, const std::vector<std::string>& targets,
                              const TargetReader& read) {
  if (type == PasteboardType::string) {
    for (const auto& candidate : stringTargets) {
      if (!contains(targets, candidate)) continue;
      if (auto text = read(candidate)) return decodeString(candidate, *text);
    }
    return std::nullopt;
  }
  if (type == PasteboardType::html) {
    auto html = firstOf({"text/html"}, targets, read);
    if (html) return decodeText(*html);
    return std::nullopt;
  }
  if (type == PasteboardType::rtf) return firstOf(rtfTargets, targets, read);
  if (type == PasteboardType::url || type == PasteboardType::fileUrl) {
    bool wantFiles = type == PasteboardType::fileUrl;
    if (contains(targets, "text/uri-list")) {
      if (auto list = read("text/uri-list")) {
        for (const auto& line : uriListLines(*list)) {
          if (line.starts_with("file://") == wantFiles) return sanitizedUtf8(line);
        }
      }
    }
    if (wantFiles) {
      if (auto copied = firstOf({"x-special/gnome-copied-files"}, targets, read)) {
        // "copy" or "cut", then one URI per line.
        auto lines = uriListLines(*copied);
        if (lines.size() >= 2) return sanitizedUtf8(lines[1]);
      }
      return std::nullopt;
    }
    if (auto moz = firstOf({"text/x-moz-url"}, targets, read)) return decodeMozUrl(*moz);
    if (auto netscape = firstOf({"_NETSCAPE_URL"}, targets, read)) {
      std::string text = sanitizedUtf8(*netscape);
      return text.substr(0, text.find('\n'));
    }
    return std::nullopt;
  }
  if (type == PasteboardType::tiff) {
    for (const auto& target : targets) {
      if (target.starts_with("image/")) {
        if (auto image = read(target)) return image;
      }
    }
    return std::nullopt;
  }
  if (type == PasteboardType::color) return firstOf({"application/x-color"}, targets, read);
  if (contains(targets, type)) return read(type);
  if (type == concealedType && hasSecretHint(targets, read)) return Bytes();
  return std::nullopt;
}

std::vector<std::string> readAheadTargets(const std::vector<std::string>& targets,
                                          const std::vector<std::string>& types) {
  std::vector<std::string> out;
  auto add = [&](const std::optional<std::string>& target) {
    if (target && contains(targets, *target) && !contains(out, *target)) out.push_back(*target);
  };
  // The list of types itself needs these.
  add("text/uri-list");
  add(std::string(passwordHint));
  for (const auto& type : types) {
    if (type == PasteboardType::string) {
      add(firstOffered(stringTargets, targets));
    } else if (type == PasteboardType::html) {
      add("text/html");
    } else if (type == PasteboardType::rtf) {
      add(firstOffered(rtfTargets, targets));
    } else if (type == PasteboardType::url) {
      add(firstOffered({"text/uri-list", "text/x-moz-url", "_NETSCAPE_URL"}, targets));
    } else if (type == PasteboardType::fileUrl) {
      add("x-special/gnome-copied-files");
    } else if (type == PasteboardType::color) {
      add("application/x-color");
    } else if (type != PasteboardType::tiff) {
      add(type);  // markers and other types travel under their own name
    }
  }
  return out;
}

std::vector<PasteboardEntry> targetsForWrite(const std::vector<PasteboardEntry>& entries) {
  std::vector<PasteboardEntry> out;
  auto add = [&](const std::string& target, const Bytes& data) {
    auto it = std::find_if(out.begin(), out.end(), [&](const PasteboardEntry& e) { return e.type == target; });
    if (it == out.end()) out.push_back({target, data});
  };
  for (const auto& entry : entries) {
    if (entry.type == PasteboardType::string) {
      add("text/plain", entry.data);
      add("text/plain;charset=utf-8", entry.data);
    } else if (entry.type == PasteboardType::html) {
      add("text/html", entry.data);
    } else if (entry.type == PasteboardType::rtf) {
      add("text/rtf", entry.data);
      add("application/rtf", entry.data);
    } else if (entry.type == PasteboardType::url || entry.type == PasteboardType::fileUrl) {
      add("text/uri-list", entry.data + "\r\n");
    } else if (entry.type == concealedType) {
      add(concealedType, entry.data);
      add(passwordHint, "secret");
    } else {
      add(entry.type, entry.data);
    }
  }
  return out;
}

}  // namespace platform::x11targets
