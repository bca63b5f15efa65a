#pragma once

// <xcb/xkb.h> names a struct member `explicit`, which does not compile as C++.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
