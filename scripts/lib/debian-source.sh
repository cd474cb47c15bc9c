# Sourced by the Windows scripts: Debian's own source packages, fetched through apt with a private
# configuration whose deb-src lines are the twins of the machine's enabled deb entries. The system's
# apt setup is not changed.

# debian_source <apt folder> <source package> <version> <destination>: unpacks the source package
# of that exact version into <destination> unless it is there already.
debian_source() {
  local apt=$1 package=$2 version=$3 dest=$4
  [ -f "$dest/.unpacked" ] && return 0
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d"
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Debug::NoLocking=1"
              -o "APT::Sandbox::User=root")
  if [ ! -f "$apt/updated" ]; then
    : >"$apt/sources.list"
    # One-line files and deb822 files alike.
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt/sources.list"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk 'BEGIN { RS = ""; ORS = "\n\n" }
           /(^|\n)Enabled:[[:space:]]*no/ { next }
           /(^|\n)Types:[^\n]*deb([[:space:]]|$)/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
        "$f" >"$apt/sources.list.d/$(basename "$f")"
    done
    apt-get "${opts[@]}" update -qq
    touch "$apt/updated"
  fi
  local download=$dest.download
  rm -rf "$download" "$dest" && mkdir -p "$download"
  (cd "$download" && apt-get "${opts[@]}" source --download-only -qq "$package=$version")
  dpkg-source --no-check -x "$download"/"${package}"_*.dsc "$dest" >/dev/null
  rm -rf "$download"
  touch "$dest/.unpacked"
}

# debian_source_version <installed binary package>: the source version it was built from.
debian_source_version() {
  dpkg-query -W -f='${source:Version}' "$1"
}
