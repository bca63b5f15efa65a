#pragma once

#include <QLocale>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Workspace;
}

// Facts about the running application and the machine it runs on. Each is worked out once, on first read,
// and kept for the life of the process; concurrent first reads compute it once.
namespace kit::AppFacts {

// The application's id and name are kit::ZvApp::id() and kit::ZvApp::name().
const std::string& version();
int64_t build();
// "1.0.0 (27)".
const std::string& versionWithBuild();
// The running executable (the application's own location on this system).
const std::filesystem::path& url();
// Inside a Flatpak, or with "APP_SANDBOX_CONTAINER_ID" in the environment (whatever its value).
bool isSandboxed();
// There is no store installation on this system.
inline bool isInstalledFromAppStore() { return false; }

// The build number as the build system hands it in: whole decimal digits only ("027" is 27).
std::optional<int64_t> parseBuildNumber(std::string_view text);

}  // namespace kit::AppFacts

namespace kit::Device {

// From os-release: NAME ("Debian GNU/Linux"), VERSION_ID ("12"); "Linux" and "<Unknown version>" without it.
const std::string& osName();
const std::string& osVersion();
// The kernel release ("6.1.0-18-amd64"), else "<Unknown build>".
const std::string& osBuild();
const std::string& osVersionWithBuild();
// osName + " " + osVersionWithBuild: "Debian GNU/Linux 12 (6.1.0-18-amd64)".
const std::string& osDescription();
// The DMI product name, else the device-tree model, else "<Unknown model>".
const std::string& hardwareModel();
// The machine field of uname ("x86_64"), else "unknown".
const std::string& architecture();

// One value of an os-release text (quotes and escapes removed); none when the variable is not there.
std::optional<std::string> osReleaseValue(std::string_view osRelease, std::string_view variable);
// The model from the contents of /sys/class/dmi/id/product_name and /proc/device-tree/model (none when missing).
std::string hardwareModelFrom(const std::optional<std::string>& dmiProductName,
                              const std::optional<std::string>& deviceTreeModel);

}  // namespace kit::Device

// The locale of machine-readable texts ("en_US_POSIX"): a point before the decimals, no grouping, English names.
namespace kit::Locale {
const QLocale& posix();
}  // namespace kit::Locale

namespace kit {

// The name of a language (its code: "de") in the language of `locale`: "German" in the POSIX locale; none when the
// locale has no name for the code.
std::optional<std::string> localizedLanguageName(const QLocale& locale, std::string_view languageCode);

// True when one of the running applications has one of these ids (containsApp); an application without an id never
// matches. The list of running applications is fetched afresh for each call. Main thread.
bool isRunning(platform::Workspace& workspace, const std::vector<std::string>& bundleIdentifiers);

}  // namespace kit
