#!/usr/bin/env bash
# Builds Tarvik and starts it under Wine in a ready start directory (build/run): the text
# table, a sample preset file, a sample connect_ip.bat and the example macros beside the program.
set -euo pipefail
source "$(dirname "$0")/common.sh"

prepare_build

RUN=$BUILD/run
mkdir -p "$RUN"
for f in Tarvik.exe TarvikA.exe mivvet.exe tarvikc.exe; do cp -f "$BUILD/$f" "$RUN/"; done
for f in Tarvik_char2.ini mdata.txt connect_ip.bat; do
    [ -f "$TARVIK_ROOT/data/$f" ] || continue
    # The user's own edits of the samples are kept; the text table always follows the program.
    if [ "$f" = Tarvik_char2.ini ] || [ ! -f "$RUN/$f" ]; then cp -f "$TARVIK_ROOT/data/$f" "$RUN/"; fi
done
# The example macros go beside the program, where a bare file name finds them.
for f in "$TARVIK_ROOT"/data/macros/*.txt; do
    [ -f "$RUN/$(basename "$f")" ] || cp "$f" "$RUN/"
done
# The example responder rules go into a folder of their own beside it.
mkdir -p "$RUN/responder"
for f in "$TARVIK_ROOT"/data/responder/*.txt; do
    [ -f "$RUN/responder/$(basename "$f")" ] || cp "$f" "$RUN/responder/"
done

cd "$RUN"
if [ -z "${DISPLAY:-}" ]; then
    echo "No display: starting Tarvik on a virtual one (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1600x1000x24" "$TARVIK_ROOT/scripts/wine-emulator" Tarvik.exe
fi
exec "$TARVIK_ROOT/scripts/wine-emulator" Tarvik.exe
