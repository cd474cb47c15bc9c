# Sourced by scripts/build-windows and scripts/test-windows: the folder the zip and the installer
# carry, and the installer made from it with Debian's wixl (msitools).

_windows_package_root=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../..")

# windows_stage <program.exe> <folder> [proj.db]: the program with, beside it, what it looks for
# there: languages/, Qt's own translations/, map/ (the page with Debian's Leaflet in map/leaflet/),
# the icon and, for the grid coordinates, PROJ's database.
windows_stage() {
  local exe=$1 stage=$2 projdb=${3:-} root=$_windows_package_root leaflet=/usr/share/javascript/leaflet
  rm -rf "$stage"
  mkdir -p "$stage/languages" "$stage/map/leaflet/images"
  cp "$exe" "$stage/varnel-link-manager.exe"
  [ -z "$projdb" ] || cp "$projdb" "$stage/proj.db"
  # Qt's own texts for the program's languages (Debian's qt6-translations-l10n).
  mkdir -p "$stage/translations"
  cp /usr/share/qt6/translations/qtbase_es.qm /usr/share/qt6/translations/qtbase_de.qm "$stage/translations/"
  cp "$root"/resources/languages/*.lng "$stage/languages/"
  cp "$root"/resources/map/index.html "$root"/resources/map/map.css "$root"/resources/map/map.js "$stage/map/"
  # Linux finds Leaflet where Debian installs it; on Windows it travels with the page.
  sed -i "s|$leaflet/|leaflet/|g" "$stage/map/index.html"
  ! grep -q /usr/ "$stage/map/index.html" || { echo "map page still names /usr" >&2; return 1; }
  cp "$leaflet/leaflet.js" "$leaflet/leaflet.css" "$stage/map/leaflet/"
  cp "$leaflet"/images/*.png "$stage/map/leaflet/images/"
  local sizes=() s
  for s in 16 24 32 48 256; do sizes+=("$root/resources/icons/hicolor/${s}x${s}.png"); done
  icotool -c -o "$stage/varnel-link-manager.ico" "${sizes[@]}"
}

# The one version number (project VERSION in CMakeLists.txt) and the publisher of the Debian package.
windows_version() {
  sed -n 's/^project(VarnelLinkManager VERSION \([0-9.]*\).*/\1/p' "$_windows_package_root/CMakeLists.txt"
}

# windows_msi <stage folder> <output folder> [version]: writes
# <output folder>/varnel-link-manager-<version>-x64.msi and prints its path.
windows_msi() {
  local stage=$1 out=$2 version=${3:-$(windows_version)} root=$_windows_package_root
  local publisher
  publisher=$(sed -n 's/^set(CPACK_PACKAGE_VENDOR "\(.*\)")/\1/p' "$root/CMakeLists.txt")
  [ -n "$version" ] && [ -n "$publisher" ] || { echo "no version or publisher in CMakeLists.txt" >&2; return 1; }
  mkdir -p "$out"
  local msi wxs
  msi=$(realpath "$out")/varnel-link-manager-$version-x64.msi
  wxs=$(realpath "$out")/varnel-link-manager.wxs
  python3 "$root/scripts/lib/msi-wxs.py" "$stage" "$version" "$publisher" "$stage/varnel-link-manager.ico" "$wxs"
  rm -f "$msi"
  # wixl finds the files relative to where it runs.
  (cd "$stage" && wixl -a x64 -o "$msi" "$wxs")
  # wixl knows no AllowSameVersionUpgrades: versions differing in the fourth field only (which
  # Windows Installer does not compare) must still replace each other, so the upgrade search
  # includes its maximum, this version.
  local table=$out/Upgrade.idt
  msiinfo export "$msi" Upgrade |
    awk 'BEGIN { FS = OFS = "\t" } $7 ~ /^WIX_UPGRADE_DETECTED\r?$/ { if (int($5 / 512) % 2 == 0) $5 += 512 } { print }' >"$table"
  msibuild "$msi" -i "$table"
  rm -f "$table"
  echo "$msi"
}

# windows_msi_check <stage folder> <work folder> [--program]: under wine ($wine, $WINEPREFIX from
# wine_prefix), installs the stage's installer, checks the files, the Start menu entry and the
# installed-programs entry, upgrades it with a newer one in place, then uninstalls and checks that
# nothing is left. With --program the stage holds the real program: the Start menu entry's target is
# started from its working folder with a Spanish user interface and must speak Spanish and find its
# map page and PROJ's database.
_windows_path() {
  local p
  p=$(realpath "$1")
  echo "Z:${p//\//\\}"
}

windows_msi_check() {
  local stage=$1 work=$2 program=${3:-} version
  version=$(windows_version)
  local older newer next=${version%.*}.$((${version##*.} + 1))
  older=$(windows_msi "$stage" "$work/older" "$version")
  newer=$(windows_msi "$stage" "$work/newer" "$next")
  local dir="$WINEPREFIX/drive_c/Program Files/Varnel Link Manager"
  local uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
  entries() { "$wine" reg query "$uninstall" /s 2>/dev/null | tr -d '\r' | grep -c 'DisplayName.*Varnel Link Manager'; }
  shown() { "$wine" reg query "$uninstall" /s 2>/dev/null | tr -d '\r' | grep -A3 'DisplayName.*Varnel Link Manager' |
              awk '$1 == "DisplayVersion" { print $3 }'; }
  fail() { echo "MSI: $*" >&2; return 1; }
  "$wine" msiexec /i "$(_windows_path "$older")" /qn || fail "install failed"
  (cd "$stage" && find . -type f) | while read -r f; do [ -f "$dir/$f" ] || { echo "MSI: $f not installed" >&2; exit 1; }; done ||
    return 1
  find "$WINEPREFIX/drive_c" -name 'Varnel Link Manager.lnk' | grep -q . || fail "no Start menu entry"
  [ "$(shown)" = "$version" ] || fail "installed programs show '$(shown)', not $version"
  grep -q 'The Varnel Link Manager developers' < <("$wine" reg query "$uninstall" /s 2>/dev/null) || fail "no publisher"
  if [ "$program" = --program ]; then
    _windows_installed_program_check "$older" "$dir" "$work" || return 1
  fi
  "$wine" msiexec /i "$(_windows_path "$newer")" /qn || fail "upgrade failed"
  [ "$(entries)" = 1 ] && [ "$(shown)" = "$next" ] || fail "after the upgrade: $(entries) entries, version $(shown)"
  "$wine" msiexec /x "$(_windows_path "$newer")" /qn || fail "uninstall failed"
  [ ! -e "$dir" ] || fail "files left in $dir"
  [ "$(entries)" = 0 ] || fail "installed-programs entry left"
  ! find "$WINEPREFIX/drive_c" -name 'Varnel Link Manager.lnk' | grep -q . || fail "Start menu entry left"
  echo "MSI $version installs, upgrades to $next and uninstalls under wine"
}

# The installed program as the Start menu starts it: the shortcut's target ([INSTALLDIR]<file>) in
# its working folder, offscreen (wine passes no QT_* variables on), with a Spanish user interface.
_windows_installed_program_check() {
  local msi=$1 dir=$2 work=$3 target out
  target=$(msiinfo export "$msi" Shortcut | tr -d '\r' | awk -F'\t' '$1 == "StartMenuShortcut" { print $5 }')
  [[ $target == "[INSTALLDIR]"* ]] || { echo "MSI: the Start menu entry points at '$target'" >&2; return 1; }
  out=$(_windows_path "$work")\\captions.txt
  rm -f "$work/captions.txt"
  (cd "$dir" && LC_ALL=es_ES.UTF-8 VARNEL_PRINT_CAPTIONS="$out" \
     timeout 120 "$wine" "./${target#\[INSTALLDIR\]}" -platform offscreen >/dev/null 2>&1) ||
    { echo "MSI: the installed program did not end cleanly" >&2; return 1; }
  local line
  for line in language=spanish mapPage=found gridDatabase=found \
              "buttonConnect=$(sed -n 's/^161=//p' "$_windows_package_root/resources/languages/spanish.lng" | tr -d '\r')"; do
    grep -qxF "$line" <(tr -d '\r' <"$work/captions.txt" 2>/dev/null) ||
      { echo "MSI: the installed program did not report '$line'" >&2; cat "$work/captions.txt" >&2 2>/dev/null; return 1; }
  done
  echo "MSI: the installed program speaks Spanish and finds its map page and proj.db"
}
