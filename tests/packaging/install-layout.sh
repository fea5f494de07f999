#!/usr/bin/env bash
# install-layout.sh CMAKE BUILD_DIR VERSION "IDS" "ICON_SIZES" "PROGRAMS"
#
# Installs the build into a fresh folder and checks the result the way a desktop and a user
# meet it: exactly the expected files with normal modes, books that are SQLite files, and
# desktop entries, icons and metainfo that name each other and an installed program.
set -euo pipefail
cmake=$1 build=$2 version=$3
read -r -a ids <<<"$4"
read -r -a sizes <<<"$5"
read -r -a programs <<<"$6"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/kakeibo-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Under the usual umask: CMake makes folders with the umask applied, files get the modes the
# install rules give.
(umask 022 && "$cmake" --install "$build" --prefix "$prefix") >"$prefix.log" 2>&1 || {
  cat "$prefix.log" >&2
  rm -f "$prefix.log"
  echo "FAIL: cmake --install $build --prefix $prefix" >&2
  exit 1
}
rm -f "$prefix.log"

# ---- exactly the expected files, with normal modes -----------------------------------------
# bank and purse are always there; the list given adds what else is installed (dbinit, ...).
for p in bank purse dbinit kakeibo; do
  [[ " ${programs[*]} " == *" $p "* ]] || fail "the installed programs lack $p"
done
# The build-only tools and the test programs stay in the build folder.
for p in "${programs[@]}"; do
  case $p in bench | mkbook | *_tests) fail "$p is installed" ;; esac
done
expected=()
for p in "${programs[@]}"; do expected+=("bin/$p"); done
expected+=(share/bank/bank.hlp share/bank/bank.mdb share/purse/purse.hlp share/purse/moneta.mdb)
for id in "${ids[@]}"; do
  expected+=("share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
             "share/icons/hicolor/scalable/apps/$id.svg")
  for n in "${sizes[@]}"; do expected+=("share/icons/hicolor/${n}x${n}/apps/$id.png"); done
done

actual=$(cd "$prefix" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  fail "installed files differ from the expected ones (< missing, > not expected):"
  diff <(echo "$wanted") <(echo "$actual") | grep '^[<>]' >&2 || true
fi

for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || continue
  mode=$(stat -c %a "$prefix/$f")
  case $f in
    bin/*) [ "$mode" = 755 ] || fail "$f has mode $mode, not 755" ;;
    *) [ "$mode" = 644 ] || fail "$f has mode $mode, not 644" ;;
  esac
  [ -s "$prefix/$f" ] || fail "$f is empty"
done
while IFS= read -r d; do
  mode=$(stat -c %a "$d")
  [ "$mode" = 755 ] || fail "folder ${d#"$prefix"/} has mode $mode, not 755"
done < <(find "$prefix" -mindepth 1 -type d)

# ---- the delivered books are SQLite databases ----------------------------------------------
for book in share/bank/bank.mdb share/purse/moneta.mdb; do
  [ -f "$prefix/$book" ] || continue
  # "SQLite format 3" and a NUL
  header=$(head -c 16 "$prefix/$book" | od -An -tx1 | tr -d ' \n')
  [ "$header" = 53514c69746520666f726d6174203300 ] || fail "$book does not start as an SQLite file ($header)"
done

# ---- the icons are what their names say ----------------------------------------------------
for id in "${ids[@]}"; do
  svg="$prefix/share/icons/hicolor/scalable/apps/$id.svg"
  [ -f "$svg" ] && ! grep -q '<svg' "$svg" && fail "$id.svg is not an SVG image"
  for n in "${sizes[@]}"; do
    png="$prefix/share/icons/hicolor/${n}x${n}/apps/$id.png"
    [ -f "$png" ] || continue
    # PNG signature, then the IHDR chunk: width and height as 4-byte big-endian numbers.
    sig=$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')
    [ "$sig" = 89504e470d0a1a0a ] || fail "${n}x${n}/apps/$id.png is not a PNG image"
    w=$(od -An -tu1 -j16 -N4 "$png" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    h=$(od -An -tu1 -j20 -N4 "$png" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    [ "${w}x$h" = "${n}x$n" ] || fail "${n}x${n}/apps/$id.png is ${w}x${h}"
  done
done

# ---- desktop entries, metainfo and programs name each other --------------------------------
for id in "${ids[@]}"; do
  desktop="$prefix/share/applications/$id.desktop"
  metainfo="$prefix/share/metainfo/$id.metainfo.xml"
  [ -f "$desktop" ] || continue
  [ -f "$metainfo" ] || continue
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ -x "$prefix/bin/${exec:-?}" ] || fail "$id.desktop starts '$exec', which is not installed"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ "$icon" = "$id" ] || fail "$id.desktop shows icon '$icon', not $id"
  grep -q "<id>$id</id>" "$metainfo" || fail "$id.metainfo.xml does not describe $id"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "$id.metainfo.xml does not launch $id.desktop"
  grep -q "<binary>$exec</binary>" "$metainfo" || fail "$id.metainfo.xml does not provide $exec"
  # The newest release comes first; it is the version the package carries.
  release=$(grep -m1 -o '<release [^>]*version="[^"]*"' "$metainfo" | sed 's/.*version="//;s/"$//')
  [ "$release" = "$version" ] || fail "$id.metainfo.xml's newest release is '$release', the package is $version"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed layout OK: ${#expected[@]} files"
