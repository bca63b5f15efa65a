#include "engine/shortcut_names.h"

namespace kit::GlobalShortcuts::Names {

const kit::GlobalShortcuts::Name& copyAndClearFormatting() {
  static const auto* name = new kit::GlobalShortcuts::Name("copyAndClearFormatting");
  return *name;
}

const kit::GlobalShortcuts::Name& clearFormatting() {
  static const auto* name = new kit::GlobalShortcuts::Name("clearFormatting");
  return *name;
}

const kit::GlobalShortcuts::Name& toggleAutomaticallyClearFormatting() {
  static const auto* name = new kit::GlobalShortcuts::Name("toggleAutomaticallyClearFormatting");
  return *name;
}

}  // namespace kit::GlobalShortcuts::Names
