# tavelin_package: from the built Windows tree (build/win), writes the installer
# build/dist/Tavelin-VERSION-setup.exe and the portable build/dist/Tavelin-VERSION.zip,
# which hold the same program folder: Tavelin.exe, data.dat and Tavelin.chm.
# Sourced after scripts/common.sh.

TAVELIN_PROGRAM_FILES=(Tavelin.exe data.dat Tavelin.chm)

# The version the build gives Tavelin.exe: the project version of CMakeLists.txt.
tavelin_version() {
  sed -n 's/^project(Tavelin VERSION \([0-9.]*\) .*/\1/p' "$TAVELIN_ROOT/CMakeLists.txt"
}

tavelin_package() {
  local win="$TAVELIN_ROOT/build/win" dist="$TAVELIN_ROOT/build/dist" version file stage
  version=$(tavelin_version)
  if [ -z "$version" ]; then
    echo "no project version in CMakeLists.txt" >&2
    return 1
  fi
  for file in "${TAVELIN_PROGRAM_FILES[@]}"; do
    if [ ! -f "$win/$file" ]; then
      echo "$win/$file is missing: build the Windows tree first" >&2
      return 1
    fi
  done
  mkdir -p "$dist"
  stage="$dist/stage/Tavelin"
  rm -rf "$dist/stage" "$dist/Tavelin-$version-setup.exe" "$dist/Tavelin-$version.zip"
  mkdir -p "$stage"
  for file in "${TAVELIN_PROGRAM_FILES[@]}"; do cp -p "$win/$file" "$stage/"; done

  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DPROGRAM_DIR="$stage" \
    -DICON="$TAVELIN_ROOT/src/win32/resources/tavelin.ico" \
    -DOUT_FILE="$dist/Tavelin-$version-setup.exe" \
    "$TAVELIN_ROOT/installer/tavelin.nsi" >"$dist/makensis.log" 2>&1 || {
    cat "$dist/makensis.log" >&2
    return 1
  }
  # Entries under Tavelin/, without extra attributes, so the same files give the same zip.
  (cd "$dist/stage" && zip -q -X -D "$dist/Tavelin-$version.zip" "${TAVELIN_PROGRAM_FILES[@]/#/Tavelin/}") || return 1
  rm -rf "$dist/stage"
  echo "$dist/Tavelin-$version-setup.exe"
  echo "$dist/Tavelin-$version.zip"
}
