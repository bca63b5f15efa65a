#pragma once

// <xcb/xkb.h> names a struct member `explicit`, which does not compile as C++.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit explicit_  // NOLINT(readability-identifier-naming): the keyword itself is renamed
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
