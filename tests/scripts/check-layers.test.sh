#!/usr/bin/env bash
# scripts/check-layers on a small tree of its own: a clean tree passes, and
# each way of reaching a layer above (an include in every spelling, a
# library linked in CMake) is caught and named.
set -euo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The clean tree: display uses platform, panel uses display, a tool uses
# platform, each spelled every way it may be.
base=$work/base
mkdir -p "$base"/scripts "$base"/src/{platform,display/sub,panel} "$base"/tools/ctl "$base"/tests/support
cp "$script" "$base/scripts/check-layers"
printf '#include <unistd.h>\n' >"$base/src/platform/Files.cpp"
touch "$base"/src/platform/Files.h "$base"/src/panel/frmCtl.h "$base"/tests/support/Fake.h
printf '#include "platform/Files.h"\n#include <platform/Files.h>\n#include "Form1.h"\n#include <QString>\n' >"$base/src/display/Form1.h"
printf '#include "../Form1.h"\n' >"$base/src/display/sub/Deep.cpp"
printf '#include "display/Form1.h"\n#include "../display/Form1.h"\n#include "frmCtl.h"\n' >"$base/src/panel/frmCtl.cpp"
printf '#include "platform/Files.h"\n#include "tools/main.h"\n' >"$base/tools/main.cpp"
printf '#include "platform/Files.h"\n' >"$base/tools/ctl/main.cpp"
echo 'ferrotab_library(platform)' >"$base/src/platform/CMakeLists.txt"
printf 'ferrotab_library(display)\ntarget_link_libraries(display PUBLIC platform Qt6::Widgets)\n' >"$base/src/display/CMakeLists.txt"
printf 'ferrotab_library(panel)\ntarget_link_libraries(panel PUBLIC display # the display\n  platform)\n' >"$base/src/panel/CMakeLists.txt"
printf 'add_executable(tool main.cpp)\ntarget_link_libraries(tool PRIVATE platform)\n' >"$base/tools/CMakeLists.txt"

failures=0
if ! out=$("$base/scripts/check-layers" 2>&1); then
  echo "FAIL: the clean tree is refused:"
  echo "$out"
  failures=1
fi

# caught FILE TEXT [NAMED]: TEXT added to FILE in a copy of the clean tree
# makes the check fail and name FILE (or NAMED).
caught() {
  local tree=$work/case
  rm -rf "$tree"
  cp -r "$base" "$tree"
  mkdir -p "$(dirname "$tree/$1")"
  printf '%s\n' "$2" >>"$tree/$1"
  if out=$("$tree/scripts/check-layers" 2>&1) || [[ $out != *"${3:-$1}"* ]]; then
    echo "FAIL: not caught: $2 in $1"
    echo "$out"
    failures=$((failures + 1))
  fi
}

caught src/display/Form1.h '#include "panel/frmCtl.h"'
caught src/display/Form1.h '#include <panel/frmCtl.h>'
caught src/display/Form1.h '#include "../panel/frmCtl.h"'
caught src/display/sub/Deep.cpp '# include "../../panel/frmCtl.h"'
caught src/display/sub/Deep.cpp '#include "../../../src/panel/frmCtl.h"'
caught src/platform/Files.h '#include "../../tests/support/Fake.h"'
caught src/platform/Files.h '#include "display/NotYetWritten.h"'
caught tools/main.cpp '#include <display/Form1.h>'
caught tools/main.cpp '#include <unistd.h>'
caught src/display/Form1.h '#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif'
caught src/display/CMakeLists.txt 'target_link_libraries(display
  PRIVATE platform panel)'
caught tools/CMakeLists.txt 'target_link_libraries(tool PRIVATE display)'
caught src/newfolder/New.h '' src/newfolder

[ "$failures" -eq 0 ] && echo "check-layers: every case caught"
exit "$failures"
