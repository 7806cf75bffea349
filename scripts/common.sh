# Shared by the run and test scripts: packages, build, and the Wine prefix.
# Sourced, not run.

TARVIK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TARVIK_PACKAGES="cmake ninja-build python3 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
mingw-w64-x86-64-dev wine wine64 xvfb xauth imagemagick fonts-wine fonts-wqy-microhei googletest \
clang libclang-rt-14-dev tshark iproute2"

# Installs what is missing (as root), or says the exact line to run.
ensure_packages() {
    local missing=""
    for p in $TARVIK_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" = 0 ]; then
        echo "Installing:$missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing >/dev/null || {
            echo "apt-get install failed for:$missing" >&2; return 1; }
    else
        echo "Missing packages. Run:" >&2
        echo "  sudo apt-get install -y --no-install-recommends$missing" >&2
        return 1
    fi
}

# The virtual display of tests, screenshots and benchmarks.
VIRTUAL_SCREEN="-screen 0 1600x1000x24 -nolisten tcp"
# At a higher DPI (TARVIK_DPI) the windows grow: the screen grows with them.
[ "${TARVIK_DPI:-96}" = 96 ] || VIRTUAL_SCREEN="-screen 0 2560x1600x24 -nolisten tcp"

# Packages, build and Wine prefix in one step; sets BUILD ($TARVIK_BUILD, default build/).
prepare_build() {
    ensure_packages
    BUILD=${TARVIK_BUILD:-$TARVIK_ROOT/build}
    build_tarvik "$BUILD"
    prepare_wine_prefix "$BUILD/wineprefix"
}

# Starts the persistent Wine session of the build folder $1 for the rest of the script.
enter_wine_session() {
    export WINEPREFIX=$1/wineprefix
    start_wine
    trap stop_wine EXIT
}

# Configures and builds into $1 (default build/).
build_tarvik() {
    local dir=${1:-$TARVIK_ROOT/build}
    cmake -S "$TARVIK_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TARVIK_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build "$dir" -- -j"$(nproc)"
}

# The native fuzz targets and sanitizer programs (fuzz/), built with clang into $1.
build_fuzz() {
    local dir=$1
    cmake -S "$TARVIK_ROOT/fuzz" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
    cmake --build "$dir" -- -j"$(nproc)"
}

# Runs the fuzz targets (each over its seed corpus, then briefly on new inputs) and the
# sanitizer programs of the fuzz build $1 through ctest; further arguments go to ctest.
# Ends with one line per program and a closing verdict.
run_fuzz_tests() {
    local dir=$1 status=0
    shift
    rm -f "$dir"/runs/*/summary.txt
    (cd "$dir" && ctest --output-on-failure -j"$(nproc)" "$@") || status=$?
    local ran
    ran=$(cat "$dir"/runs/*/summary.txt 2>/dev/null | wc -l)
    echo "Native fuzz targets and sanitizer programs:"
    cat "$dir"/runs/*/summary.txt 2>/dev/null | sed 's/^/  /'
    if [ $status -eq 0 ] && [ "$ran" -eq 0 ]; then
        echo "FUZZ: no fuzz target or sanitizer program was selected"
    elif [ $status -eq 0 ]; then
        echo "FUZZ: all $ran fuzz targets and sanitizer programs passed"
    else
        echo "FUZZ: FAILED (see above)"
    fi
    return $status
}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# The Windows path of a Linux path, as Wine sees it (drive Z: is the root).
winepath_of() {
    local p
    p=$(readlink -f "$1")
    echo "Z:${p//\//\\}"
}

# A private Wine prefix in $1, made once and set up for quick, quiet, unattended runs.
PREFIX_VERSION=6
prepare_wine_prefix() {
    export WINEPREFIX=$1
    if [ "$(cat "$WINEPREFIX/.tarvik-prefix" 2>/dev/null)" = "$PREFIX_VERSION" ]; then return 0; fi
    echo "Preparing the Wine prefix $WINEPREFIX (once)..."
    mkdir -p "$WINEPREFIX"
    DISPLAY= wineboot -i </dev/null >/dev/null 2>&1
    # Windows come and go at once without a window manager, and a crash ends the
    # process instead of waiting in a crash dialog.
    "$TARVIK_ROOT/scripts/wine-emulator" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    "$TARVIK_ROOT/scripts/wine-emulator" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    # Japanese, Korean and Chinese glyphs come from the CJK font wherever a Latin font lacks them.
    local cjk='wqy-microhei.ttc,WenQuanYi Micro Hei'
    for face in Tahoma 'Tahoma Bold' 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif' 'MS Sans Serif' 'Segoe UI' Arial; do
        "$TARVIK_ROOT/scripts/wine-emulator" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
            /t REG_MULTI_SZ /d "$cjk" /f </dev/null >/dev/null 2>&1
    done
    # The dump's font face is not on Linux: a monospaced CJK face gives glyphs of the
    # proportions it has on Windows (the program measures them either way).
    local reg="$WINEPREFIX/tarvik-fonts.reg"
    { printf '\xff\xfe'
      printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n"ＭＳＰゴシック"="WenQuanYi Micro Hei Mono"\r\n"ＭＳ Ｐゴシック"="WenQuanYi Micro Hei Mono"\r\n"MS PGothic"="WenQuanYi Micro Hei Mono"\r\n' |
          iconv -f UTF-8 -t UTF-16LE; } > "$reg"
    "$TARVIK_ROOT/scripts/wine-emulator" regedit /S "$(winepath_of "$reg")" </dev/null >/dev/null 2>&1
    # Wine's own fonts (Tahoma for dialogs, Marlett for the frame buttons) are not found by
    # this Wine build on its own: they go into the prefix's font folder.
    if [ -d /usr/share/wine/fonts ]; then
        cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    wineserver -w
    echo "$PREFIX_VERSION" > "$WINEPREFIX/.tarvik-prefix"
}

# A second prefix beside the build's own, $1/wineprefix-<dpi>dpi, whose screen has DPI $2.
# Wine reads LogPixels when a process starts and every program of a prefix shares it, so
# high-DPI runs get a prefix of their own and the tests at 96 DPI keep theirs.
prepare_dpi_prefix() {
    local dpi=$2
    prepare_wine_prefix "$1/wineprefix-${dpi}dpi" >/dev/null
    if [ "$(cat "$WINEPREFIX/.tarvik-dpi" 2>/dev/null)" != "$dpi" ]; then
        "$TARVIK_ROOT/scripts/wine-emulator" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
            </dev/null >/dev/null 2>&1
        wineserver -w
        echo "$dpi" > "$WINEPREFIX/.tarvik-dpi"
    fi
}

# Starts the persistent Wine session of the build folder $1 for the rest of the script, in
# the prefix for TARVIK_DPI (96, the build's own prefix, unless it says otherwise).
enter_wine_session_at_dpi() {
    if [ "${TARVIK_DPI:-96}" = 96 ]; then
        enter_wine_session "$1"
        return
    fi
    prepare_dpi_prefix "$1" "$TARVIK_DPI"
    start_wine
    trap stop_wine EXIT
}

# Starts a persistent wineserver and Wine's services once, with all output discarded, so
# that each program afterwards starts in milliseconds and nothing holds a pipe open.
start_wine() {
    wineserver -p </dev/null >/dev/null 2>&1
    "$TARVIK_ROOT/scripts/wine-emulator" cmd /c exit </dev/null >/dev/null 2>&1
}

stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
}
