#!/usr/bin/env bash
# Checks the compiled help file against its sources: every page is inside and unchanged
# (UTF-8 as written), the contents and the index are inside in the help viewer's code
# page (GBK), the topic the program opens (11.htm) is the default one, every page can be
# reached from the contents, and every link of the contents, the index and the pages
# leads to a page, and an anchor, inside the file.
#   tests/help/check_chm.sh build/win/Tavelin.chm help
# Prints each failed check and ends with "N passed, N failed".
set -uo pipefail
chm=$1
sources=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
inside=$work/chm
passed=0
failed=0

check() {  # check WHAT COMMAND...: one check, passed when COMMAND succeeds
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
    head -20 "$work/out"
  fi
}

summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

same_in_gbk() {  # same_in_gbk NAME: the file inside is the UTF-8 source turned into GBK
  iconv -f GBK -t UTF-8 "$inside/$1" | cmp - "$sources/$1"
}

# Lists the links of a sitemap (its "Local" values) or of a page (its hrefs), one a line.
links_of() {
  case $1 in
    *.hhc | *.hhk) grep -o 'name="Local" value="[^"]*"' "$1" | sed 's/.*value="\(.*\)"/\1/' ;;
    *) grep -o 'href="[^"]*"' "$1" | sed 's/href="\(.*\)"/\1/' ;;
  esac
}

# Prints the links of FILE that lead nowhere inside the help file; fails when there are any.
links_resolve() {
  local from=$1 link target anchor broken=0
  while read -r link; do
    case $link in http:* | https:* | mailto:*) continue ;; esac
    target=${link%%#*}
    anchor=
    [[ $link == *#* ]] && anchor=${link#*#}
    [ -n "$target" ] || target=$(basename "$from")
    if [ ! -f "$inside/$target" ] || { [ -n "$anchor" ] && ! grep -q "id=\"$anchor\"" "$inside/$target"; }; then
      echo "$(basename "$from"): $link"
      broken=1
    fi
  done < <(links_of "$from")
  [ "$broken" -eq 0 ]
}

in_contents() {  # in_contents PAGE: the contents links to PAGE itself
  links_of "$inside/Tavelin.hhc" | grep -qx "$1"
}

if ! chmls extractall "$chm" "$inside" >"$work/out" 2>&1 || [ ! -d "$inside" ]; then
  echo "FAILED: $chm cannot be opened"
  cat "$work/out"
  failed=1
  summary
  exit
fi

check "11.htm, the topic the program opens, is inside" test -f "$inside/11.htm"
check "the default topic is 11.htm" grep -q 'Default topic from \[options\] *:11.htm' \
  <(chmls printsystem "$chm" 2>/dev/null | tr -d '\0')
for source in "$sources"/*.htm "$sources"/*.css; do
  name=$(basename "$source")
  check "$name is inside as written" cmp "$source" "$inside/$name"
done
check "the contents is inside in GBK" same_in_gbk Tavelin.hhc
check "the index is inside in GBK" same_in_gbk Tavelin.hhk
for page in "$sources"/*.htm; do
  check "$(basename "$page") is in the contents" in_contents "$(basename "$page")"
done
for file in "$inside"/Tavelin.hhc "$inside"/Tavelin.hhk "$inside"/*.htm; do
  check "the links of $(basename "$file") lead to pages inside" links_resolve "$file"
done
summary
