#include "kit/app/app_facts.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <sstream>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/foundation_helpers.h"
#include "kit/foundation/sequence_utilities.h"
#include "platform/core/file_reading.h"
#include "platform/core/own_executable.h"
#include "platform/system/workspace.h"
#include "platform/text/language_names.h"
#include "platform/text/utf8.h"

namespace kit::AppFacts {

const std::string& version() {
  static const std::string value = QUILLET_VERSION;
  return value;
}

std::optional<int64_t> parseBuildNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

int64_t build() {
  static const int64_t value = [] {
    auto parsed = parseBuildNumber(QUILLET_BUILD);
    if (!parsed) fatalError("The build number is not a whole decimal number");
    return *parsed;
  }();
  return value;
}

const std::string& versionWithBuild() {
  static const std::string value = version() + " (" + std::to_string(build()) + ")";
  return value;
}

const std::filesystem::path& url() {
  static const std::filesystem::path value = platform::ownExecutable();
  return value;
}

bool isSandboxed() {
  static const bool value = std::getenv("APP_SANDBOX_CONTAINER_ID") != nullptr ||
                            std::getenv("FLATPAK_ID") != nullptr || ::access("/.flatpak-info", F_OK) == 0;
  return value;
}

}  // namespace kit::AppFacts

namespace kit::Device {

namespace {

std::string trimmed(std::string text) {
  auto isTrimmed = [](unsigned char c) { return c == 0 || std::isspace(c) || std::iscntrl(c); };
  while (!text.empty() && isTrimmed(static_cast<unsigned char>(text.back()))) text.pop_back();
  size_t start = 0;
  while (start < text.size() && isTrimmed(static_cast<unsigned char>(text[start]))) ++start;
  return text.substr(start);
}

const std::string& osRelease() {
  static const std::string value =
      platform::readWholeFileIfReadable("/etc/os-release")
          .value_or(platform::readWholeFileIfReadable("/usr/lib/os-release").value_or(std::string()));
  return value;
}

struct utsname systemName() {
  struct utsname name {};
  if (::uname(&name) != 0) return {};
  return name;
}

// The model the firmware's device tree names: a C string, with its terminating zero byte.
std::optional<std::string> deviceTreeModel() {
  auto model = platform::readWholeFileIfReadable("/proc/device-tree/model");
  if (model) *model = droppingTrailingNullByte(std::move(*model));
  return model;
}

}  // namespace

std::optional<std::string> osReleaseValue(std::string_view osRelease, std::string_view variable) {
  std::istringstream lines{std::string(osRelease)};
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.starts_with(std::string(variable) + "=")) continue;
    std::string raw = trimmed(line.substr(variable.size() + 1));
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
      const char quote = raw.front();
      std::string value;
      for (size_t i = 1; i + 1 < raw.size(); ++i) {
        if (quote == '"' && raw[i] == '\\' && i + 2 < raw.size()) ++i;
        value += raw[i];
      }
      return value;
    }
    return raw;
  }
  return std::nullopt;
}

const std::string& osName() {
  static const std::string value = osReleaseValue(osRelease(), "NAME").value_or("Linux");
  return value;
}

const std::string& osVersion() {
  static const std::string value = osReleaseValue(osRelease(), "VERSION_ID").value_or("<Unknown version>");
  return value;
}

const std::string& osBuild() {
  static const std::string value = [] {
    std::string release = trimmed(systemName().release);
    return release.empty() || !platform::isValidUtf8(release) ? std::string("<Unknown build>") : release;
  }();
  return value;
}

const std::string& osVersionWithBuild() {
  static const std::string value = osVersion() + " (" + osBuild() + ")";
  return value;
}

const std::string& osDescription() {
  static const std::string value = osName() + " " + osVersionWithBuild();
  return value;
}

std::string hardwareModelFrom(const std::optional<std::string>& dmiProductName,
                              const std::optional<std::string>& deviceTreeModel) {
  for (const auto& candidate : {dmiProductName, deviceTreeModel}) {
    if (!candidate) continue;
    std::string model = trimmed(*candidate);
    if (!model.empty() && platform::isValidUtf8(model)) return model;
  }
  return "<Unknown model>";
}

const std::string& hardwareModel() {
  static const std::string value =
      hardwareModelFrom(platform::readWholeFileIfReadable("/sys/class/dmi/id/product_name"), deviceTreeModel());
  return value;
}

const std::string& architecture() {
  static const std::string value = [] {
    std::string machine = trimmed(systemName().machine);
    for (unsigned char c : machine)
      if (c > 0x7f) return std::string("unknown");
    return machine.empty() ? std::string("unknown") : machine;
  }();
  return value;
}

}  // namespace kit::Device

namespace kit::Locale {

const QLocale& posix() {
  static const QLocale locale = QLocale::c();
  return locale;
}

}  // namespace kit::Locale

namespace kit {

std::optional<std::string> localizedLanguageName(const QLocale& locale, std::string_view languageCode) {
  // Qt calls the POSIX locale "C".
  const std::string identifier = locale.language() == QLocale::C ? "en_US_POSIX" : locale.name().toStdString();
  return platform::localizedLanguageName(languageCode, identifier);
}

bool isRunning(platform::Workspace& workspace, const std::vector<std::string>& bundleIdentifiers) {
  const auto running = workspace.runningApplications();
  return std::any_of(bundleIdentifiers.begin(), bundleIdentifiers.end(),
                     [&](const std::string& bundleIdentifier) { return containsApp(running, bundleIdentifier); });
}

}  // namespace kit
