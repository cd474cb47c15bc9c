#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves it, starts the installed program offscreen from
# another working directory with a Spanish locale and checks that its main dialog speaks Spanish;
# then validates the menu entry and the metainfo.
# Usage: install_test.sh <build dir> <source dir>
set -euo pipefail
build=$1
source=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
# A relocated installation must find its files from its own folder.
mv "$tmp/prefix" "$tmp/moved"
prefix=$tmp/moved
id=com.ostrovagps.VarnelLinkManager
for f in bin/varnel-link-manager bin/varnel-sim \
         share/varnel-link-manager/languages/spanish.lng share/varnel-link-manager/languages/german.lng \
         share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/scalable/apps/$id.svg \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done

mkdir "$tmp/elsewhere" "$tmp/com"
out=$(cd "$tmp/elsewhere" && env -i PATH="$PATH" HOME="$tmp" LC_ALL=es_ES.UTF-8 QT_QPA_PLATFORM=offscreen \
      VARNEL_COM_DIR="$tmp/com" VARNEL_PRINT_CAPTIONS=1 \
      timeout 60 "$prefix/bin/varnel-link-manager" -platform offscreen 2>"$tmp/stderr") \
  || { cat "$tmp/stderr" >&2; fail "the installed program did not end cleanly"; }
echo "$out"

expect() { grep -qxF "$1" <<<"$out" || fail "expected the line '$1'"; }
spanish() { sed -n "s/^$1=//p" "$source/resources/languages/spanish.lng" | tr -d '\r'; }
expect "language=spanish"
expect "mapPage=found"
expect "gridDatabase=found"
# Control, string id: the main dialog's translated captions.
for pair in labelPort:155 labelLanguage:158 radioBase:156 radioRadio:157 buttonConnect:161; do
  text=$(spanish "${pair#*:}")
  [ -n "$text" ] || fail "spanish.lng lacks id ${pair#*:}"
  expect "${pair%%:*}=$text"
done

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
echo "PASS"
