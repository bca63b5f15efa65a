#include "kit/app/media_formats.h"

#include "platform/text/whitespace.h"

namespace kit {

namespace {

struct FormatFacts {
  std::string_view rawValue, description, fourCC;
};

constexpr std::array<FormatFacts, allAVFormats.size()> formatFacts = {{
    {"hevc", "HEVC", "hvc1"},
    {"h264", "H264", "avc1"},
    {"av1", "AV1", "av01"},
    {"vp9", "VP9", "vp09"},
    {"appleProResRAWHQ", "Apple ProRes RAW HQ", "aprh"},
    {"appleProResRAW", "Apple ProRes RAW", "aprn"},
    {"appleProRes4444XQ", "Apple ProRes 4444 XQ", "ap4x"},
    {"appleProRes4444", "Apple ProRes 4444", "ap4h"},
    {"appleProRes422HQ", "Apple ProRes 422 HQ", "apch"},
    {"appleProRes422", "Apple ProRes 422", "apcn"},
    {"appleProRes422LT", "Apple ProRes 422 LT", "apcs"},
    {"appleProRes422Proxy", "Apple ProRes 422 Proxy", "apco"},
    {"appleAnimation", "Apple Animation", "rle "},
    {"hap1", "Vidvox Hap", "Hap1"},
    {"hap5", "Vidvox Hap Alpha", "Hap5"},
    {"hapY", "Vidvox Hap Q", "HapY"},
    {"hapM", "Vidvox Hap Q Alpha", "HapM"},
    {"hapA", "Vidvox Hap Alpha-Only", "HapA"},
    {"hap7", "Vidvox Hap", "Hap7"},
    {"cineFormHD", "CineForm HD", "CFHD"},
    {"quickTimeGraphics", "QuickTime Graphics", "smc "},
    {"avidDNxHD", "Avid DNxHD", "AVdh"},
}};

const FormatFacts& facts(AVFormat format) { return formatFacts[static_cast<size_t>(format)]; }

}  // namespace

std::string_view rawValue(AVFormat format) { return facts(format).rawValue; }

std::optional<AVFormat> avFormat(std::string_view raw) {
  for (AVFormat format : allAVFormats)
    if (rawValue(format) == raw) return format;
  return std::nullopt;
}

std::string_view description(AVFormat format) { return facts(format).description; }

std::string_view fourCC(AVFormat format) { return facts(format).fourCC; }

std::string debugDescription(AVFormat format) {
  return std::string(description(format)) + " (" + platform::trimmingWhitespaceAndNewlines(fourCC(format)) + ")";
}

const AVMediaType AVMediaType::audio{"soun"};
const AVMediaType AVMediaType::closedCaption{"clcp"};
const AVMediaType AVMediaType::depthData{"dpth"};
const AVMediaType AVMediaType::metadata{"meta"};
const AVMediaType AVMediaType::muxed{"muxx"};
const AVMediaType AVMediaType::subtitle{"sbtl"};
const AVMediaType AVMediaType::text{"text"};
const AVMediaType AVMediaType::timecode{"tmcd"};
const AVMediaType AVMediaType::video{"vide"};

std::string AVMediaType::debugDescription() const {
  const std::pair<const AVMediaType*, const char*> names[] = {
      {&audio, "Audio"},
      {&closedCaption, "Closed-caption content"},
      {&depthData, "Depth data"},
      {&metadata, "Metadata"},
      {&muxed, "Muxed media"},
      {&subtitle, "Subtitles"},
      {&text, "Text"},
      {&timecode, "Time code"},
      {&video, "Video"},
  };
  for (const auto& [type, name] : names)
    if (*type == *this) return name;
  return "Unknown";
}

}  // namespace kit
