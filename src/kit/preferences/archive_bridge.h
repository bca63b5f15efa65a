#pragma once

#include <QDataStream>
#include <QMetaType>
#include <concepts>
#include <functional>
#include <optional>
#include <type_traits>

#include "kit/preferences/serializable.h"

namespace kit::Preferences {

// A value Qt writes to and reads from a data stream (operator<< and operator>> of QDataStream).
template <class T>
concept Archivable = std::default_initializable<T> && requires(QDataStream& stream, T& value, const T& constValue) {
  { stream << constValue } -> std::same_as<QDataStream&>;
  { stream >> value } -> std::same_as<QDataStream&>;
};

namespace detail {
// An archive is the tag of the archived type, then the value, written in one fixed stream version. None when
// writing fails.
std::optional<Data> archive(const char* tag, const std::function<void(QDataStream&)>& write);
// Reads an archive of the tagged type: true when the tag matches, `read` read the value and found it sound, and
// nothing is left over. Otherwise the reader's error line is printed to standard output.
bool unarchive(const Data& archive, const char* tag, const std::function<bool(QDataStream&)>& read);

// A Qt value that can be invalid (a colour, a date) has no archive then, and an archive of one is bad data.
template <class T>
bool isSound(const T& value) {
  if constexpr (requires {
                  { value.isValid() } -> std::convertible_to<bool>;
                })
    return value.isValid();
  else
    return true;
}
}  // namespace detail

// Any archivable value as its archive (data). Data that is no archive of the type prints one line and reads as none.
template <Archivable T>
struct NSSecureCodingBridge {
  using Value = T;
  using Stored = Data;
  static std::optional<Data> serialize(const std::optional<T>& value) {
    if (!value || !detail::isSound(*value)) return std::nullopt;
    return detail::archive(tag(), [&](QDataStream& out) { out << *value; });
  }
  static std::optional<T> deserialize(const std::optional<Data>& archive) {
    if (!archive) return std::nullopt;
    T value{};
    if (!detail::unarchive(*archive, tag(), [&](QDataStream& in) {
          in >> value;
          return detail::isSound(value);
        }))
      return std::nullopt;
    return value;
  }
  // Qt's name of the type ("QColor").
  static const char* tag() { return QMetaType::fromType<T>().name(); }
};

// Bare JSON, for an archivable type that also has a JSON form.
template <class T>
requires Archivable<T> && JsonCodable<T>
struct CodableNSSecureCodingBridge : TopLevelCodableBridge<T> {
};

// Stores an archivable type that also has a JSON form as its archive all the same: declare
//   template <> struct PreferNSSecureCoding<MyType> : std::true_type {};
template <class T>
struct PreferNSSecureCoding : std::false_type {};

namespace detail {
template <class T, bool asJson>
struct ArchivableBridge {
  using type = NSSecureCodingBridge<T>;
};
template <class T>
struct ArchivableBridge<T, true> {
  using type = CodableNSSecureCodingBridge<T>;
};
}  // namespace detail

// An archivable type is stored as bare JSON when it also has a JSON form and does not prefer the archive, else as
// its archive. Declare
//   template <> struct Serializable<MyType> : StoredAsArchivable<MyType> {};
template <Archivable T>
struct StoredAsArchivable {
  static constexpr bool storesNatively = false;
  using Bridge = typename detail::ArchivableBridge<T, JsonCodable<T> && !PreferNSSecureCoding<T>::value>::type;
};

}  // namespace kit::Preferences
