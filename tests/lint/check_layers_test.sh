#!/usr/bin/env bash
# scripts/check-layers catches an include planted against the layering of src/, and lets the real tree and an
# allowed include pass.
#   check_layers_test.sh CHECK_LAYERS SRC_DIR
set -euo pipefail
check_layers="$1"
src="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Plants one include into a copy of the tree and runs the check on it; the last argument is what it must say
# (empty: it must pass).
expect() {
  local file="$1" include="$2" expected="$3" output rc=0
  rm -rf "$work/src"
  cp -r "$src" "$work/src"
  printf '#include "%s"\n' "$include" >>"$work/src/$file"
  output=$("$check_layers" "$work/src" 2>&1) || rc=$?
  if [ -z "$expected" ]; then
    [ "$rc" -eq 0 ] && return 0
    echo "FAIL: $file including $include was refused: $output"
  elif [ "$rc" -eq 0 ]; then
    echo "FAIL: $file including $include passed the check"
  elif [[ "$output" != *"src/$file:"*"$expected"* ]]; then
    echo "FAIL: $file including $include failed without saying \"$expected\": $output"
  else
    return 0
  fi
  failures=$((failures + 1))
}

expect platform/core/executor.cpp kit/foundation/bytes.h "a layer above its own"
expect platform/core/executor.cpp platform/text/utf8.h "a platform folder not below its own"
expect kit/ui/labels.cpp engine/pasteboard_controller.h "the kit stays independent of the engine"
expect kit/app/share.cpp engine/pasteboard_controller.h "the kit stays independent of the engine"
expect engine/pasteboard_controller.cpp kit/ui/labels.h "a layer above its own"
expect kit/ui/labels.cpp kit/app/share.h "a layer above its own"
expect app/status_item.cpp engine/pasteboard_controller.h ""
expect kit/ui/labels.cpp kit/shortcuts/storage.h ""

if [ "$failures" -gt 0 ]; then
  echo "$failures planted include(s) judged wrongly"
  exit 1
fi
echo "8 passed, 0 failed"
