# Shared by ./run, ./test and scripts/wine.sh: build trees and the Wine environment.

TAVELIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAVELIN_JOBS=$(nproc 2>/dev/null || echo 2)
# Paths inside the checkout are hashed relative to it, so checkouts share ccache's objects.
export CCACHE_BASEDIR="$TAVELIN_ROOT"
export CCACHE_NOHASHDIR=1

# tavelin_build DIR [CMAKE ARGS...]: configures (once) and builds one tree.
tavelin_build() {
  local dir=$1
  shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$TAVELIN_ROOT" -B "$dir" -G "Unix Makefiles" "$@" >"$dir.configure.log" 2>&1 || {
      cat "$dir.configure.log"
      return 1
    }
  fi
  cmake --build "$dir" -j "$TAVELIN_JOBS" >"$dir.build.log" 2>&1 || {
    grep -E 'error|Error' "$dir.build.log" | head -40
    return 1
  }
}

tavelin_build_native() { mkdir -p "$TAVELIN_ROOT/build" && tavelin_build "$TAVELIN_ROOT/build/native"; }
tavelin_build_win() {
  mkdir -p "$TAVELIN_ROOT/build" &&
    tavelin_build "$TAVELIN_ROOT/build/win" -DCMAKE_TOOLCHAIN_FILE="$TAVELIN_ROOT/cmake/mingw-w64-x86_64.cmake"
}

# A private Wine prefix under build/, in the Simplified Chinese locale (ANSI code page 936).
tavelin_wine_env() {
  export WINEPREFIX="$TAVELIN_ROOT/build/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=zh_CN.UTF-8
  export LC_ALL=zh_CN.UTF-8
  # Wine's recycle bin is the desktop trash; keep what tests throw away inside build/.
  export XDG_DATA_HOME="$TAVELIN_ROOT/build/xdg-data"
}

tavelin_ensure_wineprefix() {
  tavelin_wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "==> creating the Wine prefix"
    wine wineboot --init >/dev/null 2>&1
    # No window manager runs on the virtual screen: let Wine draw the title bars itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
  fi
  # Wine shows the whole Linux file system as the fixed drive Z:, which would make every
  # search of "all fixed drives" walk it. Z: stays usable (the tests' paths live there)
  # but counts as a network drive, as a mapped share would on Windows.
  if ! grep -q '^"z:"="network"' "$WINEPREFIX/system.reg" 2>/dev/null; then
    wine reg add 'HKLM\Software\Wine\Drives' /v z: /t REG_SZ /d network /f >/dev/null 2>&1
    wineserver -w
  fi
  # Wine draws the caption buttons with Marlett; it finds the font only in the prefix.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

# For the Windows-side tests: Wine's sound goes to ALSA's default device, which a home
# of the tests' own makes a file, so a test can read back the samples a movie played
# (TAVELIN_SOUND_CAPTURE names the file).
tavelin_sound_capture_env() {
  local home="$TAVELIN_ROOT/build/wine-home"
  mkdir -p "$home"
  export TAVELIN_SOUND_CAPTURE="$home/sound.raw"
  printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' "$TAVELIN_SOUND_CAPTURE" >"$home/.asoundrc"
  export HOME="$home"
}

tavelin_build_fuzz() {
  mkdir -p "$TAVELIN_ROOT/build" &&
    CC=clang CXX=clang++ tavelin_build "$TAVELIN_ROOT/build/fuzz" -DTAVELIN_FUZZ=ON
}

tavelin_build_sanitized() {
  mkdir -p "$TAVELIN_ROOT/build" && tavelin_build "$TAVELIN_ROOT/build/native-sanitize" -DTAVELIN_SANITIZE=ON
}
