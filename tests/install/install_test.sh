#!/usr/bin/env bash
# Installs the build under the prefix /usr/local into a temporary DESTDIR and
# checks what a user of the installed program meets: the files and where they
# lie, the desktop entry and AppStream metadata (when their validators are
# present), the manual page, the installed leafwright-cli on a sample text,
# and the installed window started without a display to its first paint,
# and that all of them carry the version of the project() line.
#   tests/install/install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
id=example.leafwright.Leafwright
prefix=/usr/local

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
installed=$root$prefix
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The one written version, 3.5.0, and the MAJOR.MINOR the programs show.
full=$(sed -n 's/^project(Leafwright VERSION \([0-9.]*\) .*/\1/p' "$source/CMakeLists.txt")
shown=$(echo "$full" | cut -d. -f1,2)
[ -n "$full" ] || { echo "FAIL: no version in the project() line of CMakeLists.txt" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }

# --- The files, and nothing else (DESTDIR honoured: nothing outside $root).
has_window=no
[ -x "$build/bin/leafwright" ] && has_window=yes
{
  echo "bin/leafwright-cli"
  echo "share/man/man1/leafwright-cli.1"
  if [ $has_window = yes ]; then
    echo "bin/leafwright"
    echo "share/applications/$id.desktop"
    echo "share/icons/hicolor/48x48/apps/$id.png"
    echo "share/icons/hicolor/scalable/apps/$id.svg"
    echo "share/leafwright/Help.htm"
    echo "share/leafwright/contact.htm"
    echo "share/metainfo/$id.metainfo.xml"
  fi
} | LC_ALL=C sort >"$work/expected"
(cd "$root" && find . ! -type d | sed "s|^\./${prefix#/}/||" | LC_ALL=C sort) >"$work/actual"
diff -u "$work/expected" "$work/actual" >&2 || fail "installed files differ from the list"
for program in leafwright leafwright-cli; do
  [ -e "$installed/bin/$program" ] || continue
  [ -x "$installed/bin/$program" ] || fail "bin/$program is not executable"
done

# --- Desktop entry, AppStream metadata, icons.
if [ $has_window = yes ]; then
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$installed/share/applications/$id.desktop" >&2 ||
      fail "desktop-file-validate"
  else
    echo "skipped: desktop-file-validate is not installed" >&2
  fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$installed/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
      { cat "$work/as.log" >&2; fail "appstreamcli validate"; }
  else
    echo "skipped: appstreamcli is not installed" >&2
  fi
  grep -qx "Exec=leafwright %F" "$installed/share/applications/$id.desktop" ||
    fail "the desktop entry does not start leafwright with the chosen files"
  # "Open With" offers Leafwright for text files, and AppStream says so too.
  grep -qx "MimeType=text/plain;" "$installed/share/applications/$id.desktop" ||
    fail "the desktop entry does not declare text/plain"
  grep -q "<mediatype>text/plain</mediatype>" "$installed/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream file does not list text/plain"
  grep -qx "Icon=$id" "$installed/share/applications/$id.desktop" ||
    fail "the desktop entry does not name the installed icon"
  # A PNG's size stands in its IHDR chunk: width and height, 4 bytes each.
  size=$(od -An -tu1 -j16 -N8 "$installed/share/icons/hicolor/48x48/apps/$id.png" | tr -s ' ')
  [ "$size" = " 0 0 0 48 0 0 0 48" ] || fail "the bitmap icon is not 48 x 48 (IHDR:$size)"
fi

# --- The manual page renders without a warning and names the version; the
# newest AppStream release is the version in full, of the same day.
page=$installed/share/man/man1/leafwright-cli.1
[ "$(awk -F'"' 'NR == 1 { print $4 }' "$page")" = "Leafwright $shown" ] ||
  fail "the manual page's version is not $shown: $(head -n 1 "$page")"
if [ $has_window = yes ]; then
  release=$(grep -o -m 1 '<release version="[^"]*" date="[^"]*"' \
    "$installed/share/metainfo/$id.metainfo.xml")
  page_day=$(awk -F'"' 'NR == 1 { print $2 }' "$page")
  [ "$release" = "<release version=\"$full\" date=\"$page_day\"" ] ||
    fail "the newest AppStream release '$release' is not $full of $page_day"
fi
if command -v groff >/dev/null; then
  warnings=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
fi
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$work/man.txt")
  [ -z "$warnings" ] || fail "man warns about the manual page: $warnings"
  grep -q "EXIT STATUS" "$work/man.txt" || fail "the manual page has no EXIT STATUS"
fi

# The programs run with a home of their own, so nothing of the user's is read
# or written.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME"

# --- The installed command line on a sample text, there and back.
cli=$installed/bin/leafwright-cli
[ "$("$cli" --version)" = "leafwright-cli $shown" ] || fail "leafwright-cli --version"
mkdir -p "$work/docs"
cp "$source/examples/welcome.txt" "$work/docs/"
written=$("$cli" convert "$work/docs/welcome.txt") || fail "leafwright-cli convert failed"
[ "$written" = "$work/docs/welcome.pdf" ] || fail "convert printed '$written'"
[ "$(head -c 8 "$work/docs/welcome.pdf")" = "%PDF-1.3" ] || fail "welcome.pdf is no PDF 1.3"
if command -v qpdf >/dev/null; then
  qpdf --check "$work/docs/welcome.pdf" >"$work/qpdf.log" 2>&1 ||
    { cat "$work/qpdf.log" >&2; fail "qpdf --check welcome.pdf"; }
fi
if command -v pdftotext >/dev/null; then
  pdftotext "$work/docs/welcome.pdf" - | grep -q "Welcome to Leafwright." ||
    fail "the PDF does not read back as its source"
fi
mkdir -p "$work/back"
cp "$work/docs/welcome.pdf" "$work/back/"
"$cli" unspool "$work/back/welcome.pdf" >/dev/null || fail "leafwright-cli unspool failed"
grep -q "Welcome to Leafwright." "$work/back/welcome.txt" || fail "Unspool lost the text"
# The bundled examples are what a first ./run.sh without a display converts:
# each of them converts without a word on the error stream.
mkdir -p "$work/examples"
cp "$source"/examples/*.txt "$work/examples/"
if ! "$cli" convert "$work"/examples/*.txt >/dev/null 2>"$work/examples.log"; then
  cat "$work/examples.log" >&2
  fail "the examples do not convert"
elif [ -s "$work/examples.log" ]; then
  cat "$work/examples.log" >&2
  fail "the examples convert with warnings"
fi
set +e
"$cli" convert "$work/docs/welcome.txt" 2>"$work/skip.log" >/dev/null
status=$?
set -e
[ $status -eq 1 ] || fail "an existing PDF gives status $status, not 1"
grep -q "^leafwright-cli: $work/docs/welcome.txt: skipped" "$work/skip.log" ||
  fail "a skipped file is not reported as 'leafwright-cli: FILE: cause'"

# --- The installed window: starts without a display, paints, ends with 0,
# keeps its configuration in the user's folder and writes nothing beside
# itself, even where it could (as root in /usr/local/bin).
if [ $has_window = yes ]; then
  window=$installed/bin/leafwright
  [ "$("$window" --version)" = "leafwright $shown" ] || fail "leafwright --version"
  before=$(ls -A "$installed/bin")
  set +e
  QT_QPA_PLATFORM=offscreen timeout 60 "$window" --quit-after-first-paint >"$work/window.log" 2>&1
  status=$?
  set -e
  if [ $status -ne 0 ]; then
    cat "$work/window.log" >&2
    fail "the window did not paint and end (status $status; 124 is a timeout)"
  fi
  [ "$(ls -A "$installed/bin")" = "$before" ] || fail "the window wrote beside itself"
  [ -d "$XDG_CONFIG_HOME/leafwright" ] ||
    fail "the installed window did not choose the user's configuration folder"
fi

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install checks passed"
