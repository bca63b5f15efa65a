// The temporary config home and polling helpers are shared with the platform tests.
#include "platform/prefs/prefs_test_support.cpp"
