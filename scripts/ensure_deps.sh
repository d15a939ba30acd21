# Installs what building, running and testing need, and nothing when all of it is there.
# Sourced by ./run and ./test; expects to run as root on Debian 12 (or with sudo available).

TAVELIN_PACKAGES=(
  cmake g++ make
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  zlib1g-dev libgtest-dev googletest libbenchmark-dev libstb-dev
  clang libclang-rt-14-dev
  wine64 xvfb xauth locales fonts-wqy-microhei imagemagick
  fp-utils  # chmcmd and chmls: the help file Tavelin.chm
  nsis zip  # makensis and zip: the installer and the portable zip (./package)
  x11-utils xdotool  # scripts/make_screenshots.sh finds and places the windows
)

tavelin_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

tavelin_missing_packages() {
  local pkg status
  for pkg in "${TAVELIN_PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "installed" ] || printf '%s\n' "$pkg"
  done
}

tavelin_ensure_locale() {
  if locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then return 0; fi
  echo "==> generating the zh_CN.UTF-8 locale"
  if grep -q '^# *zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    tavelin_as_root sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  elif ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | tavelin_as_root tee -a /etc/locale.gen >/dev/null
  fi
  tavelin_as_root locale-gen >/dev/null
}

tavelin_ensure_deps() {
  local missing
  missing=$(tavelin_missing_packages)
  if [ -n "$missing" ]; then
    echo "==> installing: $(echo $missing)"
    export DEBIAN_FRONTEND=noninteractive
    tavelin_as_root apt-get update -qq
    # shellcheck disable=SC2086
    tavelin_as_root apt-get install -y -qq $missing >/dev/null
  fi
  tavelin_ensure_locale
}
