#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kit {

// The video codecs media files are written with, each with a stable raw value (its case name), a readable name and
// its four-character code. Equal raw values are equal formats.
enum class AVFormat {
  hevc,
  h264,
  av1,
  vp9,
  appleProResRAWHQ,
  appleProResRAW,
  appleProRes4444XQ,
  appleProRes4444,
  appleProRes422HQ,
  appleProRes422,
  appleProRes422LT,
  appleProRes422Proxy,
  appleAnimation,
  hap1,
  hap5,
  hapY,
  hapM,
  hapA,
  hap7,
  cineFormHD,
  quickTimeGraphics,
  avidDNxHD,
};

inline constexpr std::array<AVFormat, 22> allAVFormats = {
    AVFormat::hevc,
    AVFormat::h264,
    AVFormat::av1,
    AVFormat::vp9,
    AVFormat::appleProResRAWHQ,
    AVFormat::appleProResRAW,
    AVFormat::appleProRes4444XQ,
    AVFormat::appleProRes4444,
    AVFormat::appleProRes422HQ,
    AVFormat::appleProRes422,
    AVFormat::appleProRes422LT,
    AVFormat::appleProRes422Proxy,
    AVFormat::appleAnimation,
    AVFormat::hap1,
    AVFormat::hap5,
    AVFormat::hapY,
    AVFormat::hapM,
    AVFormat::hapA,
    AVFormat::hap7,
    AVFormat::cineFormHD,
    AVFormat::quickTimeGraphics,
    AVFormat::avidDNxHD,
};

// "hevc", "appleProRes422HQ": the case name.
std::string_view rawValue(AVFormat format);
// The format of exactly that raw value (letter case matters); none for any other text, display names included.
std::optional<AVFormat> avFormat(std::string_view rawValue);
// "HEVC", "Apple ProRes 422 HQ".
std::string_view description(AVFormat format);
// "hvc1"; two codes end in a space ("rle ", "smc ").
std::string_view fourCC(AVFormat format);
// The name and the code without surrounding blanks: "Apple Animation (rle)".
std::string debugDescription(AVFormat format);

// The kind of a media track, by its handler code in the file ("vide", "soun", ...).
struct AVMediaType {
  std::string rawValue;

  static const AVMediaType audio, closedCaption, depthData, metadata, muxed, subtitle, text, timecode, video;

  // "Audio", "Closed-caption content", ...; "Unknown" for a type outside that list.
  std::string debugDescription() const;
  friend bool operator==(const AVMediaType&, const AVMediaType&) = default;
};

}  // namespace kit
