// Arbitrary bytes as a preferences file: reading never crashes or hangs, whatever the file holds, and whatever is
// read is either refused by the writer or written in a form that gives back every key and value when read in that
// form: XML that libxml2 takes too, or the binary form.
#include <libxml/parser.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/preference_keys.h"
#include "kit/preferences/url_bridge.h"
#include "kit/preferences/value_bridges.h"
#include "platform/prefs/binary_plist_reader.h"
#include "platform/prefs/plist_codec.h"

using namespace kit::Preferences;

namespace {

template <class T>
void convert(const PlistValue& value) {
  (void)toValue<T>(value);
}

// The same keys, texts, data, integers and Booleans; dates and reals only of the same kind, since the XML form keeps
// dates in whole seconds and a NaN equals nothing.
bool givesBack(const PlistValue& written, const PlistValue& read) {
  if (written.storage().index() != read.storage().index()) return false;
  if (const auto* array = written.get<PlistArray>()) {
    const auto& other = *read.get<PlistArray>();
    return std::equal(array->begin(), array->end(), other.begin(), other.end(), givesBack);
  }
  if (const auto* dict = written.get<PlistDict>()) {
    const auto& other = *read.get<PlistDict>();
    return std::equal(dict->begin(), dict->end(), other.begin(), other.end(),
                      [](const auto& a, const auto& b) { return a.first == b.first && givesBack(a.second, b.second); });
  }
  if (written.is<platform::PlistDate>() || written.is<double>()) return true;
  return written == read;
}

bool isWellFormedXml(std::string_view xml) {
  xmlDocPtr document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlFreeDoc(document);
  return document != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto dict = platform::parsePropertyListDictionary(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!dict) return 0;
  for (const auto& [key, value] : *dict) {
    convert<bool>(value);
    convert<int>(value);
    convert<double>(value);
    convert<std::string>(value);
    convert<std::optional<Date>>(value);
    convert<std::vector<std::string>>(value);
    convert<std::vector<kit::BundleIdentifier>>(value);
    convert<std::map<int, std::string>>(value);
    convert<std::set<int>>(value);
    convert<std::vector<QUuid>>(value);
    convert<std::optional<platform::Url>>(value);
  }
  platform::PropertyListDocument document(*dict);
  const auto bytes = document.bytes();
  if (!bytes) return 0;
  const bool xml = document.form() == platform::PropertyListDocument::Form::xml;
  if (xml == platform::isBinaryPropertyList(*bytes) || (xml && !isWellFormedXml(*bytes))) std::abort();
  auto again = platform::parsePropertyListDictionary(*bytes);
  if (!again || !givesBack(PlistValue(*dict), PlistValue(*again))) std::abort();
  return 0;
}
