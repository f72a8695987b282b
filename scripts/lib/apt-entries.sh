# Reads the machine's own Debian package entries, so that the setup scripts
# can derive other entries (deb-src, another suite) from the same mirror
# without naming a host themselves. Source it; it defines one function.
#
# machine_deb_entries: one line per "deb" entry of the machine's apt sources,
#   "URIS|SUITES|COMPONENTS|SIGNED_BY" (fields as written there, space separated
#   inside a field; SIGNED_BY may be empty). deb822 first, then the one-line list.
machine_deb_entries() {
  local deb822=/etc/apt/sources.list.d/debian.sources
  local legacy=/etc/apt/sources.list
  if [ -f "$deb822" ]; then
    awk '
      function flush() {
        if (types ~ /(^|[ \t])deb([ \t]|$)/ && uris != "") printf "%s|%s|%s|%s\n", uris, suites, comps, signed
        types = uris = suites = comps = signed = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      {
        key = $1; sub(/:$/, "", key)
        value = $0; sub(/^[^:]*:[ \t]*/, "", value)
        if (key == "Types") types = value
        else if (key == "URIs") uris = value
        else if (key == "Suites") suites = value
        else if (key == "Components") comps = value
        else if (key == "Signed-By") signed = value
      }
      END { flush() }
    ' "$deb822"
  fi
  if [ -f "$legacy" ]; then
    # deb [options] URI SUITE COMPONENT...
    awk '
      /^[ \t]*deb[ \t]/ {
        i = 2; signed = ""
        if ($i ~ /^\[/) {
          while (i <= NF) {
            if ($i ~ /^\[?signed-by=/) { signed = $i; sub(/^\[?signed-by=/, "", signed); sub(/\]$/, "", signed) }
            if ($i ~ /\]$/) { i++; break }
            i++
          }
        }
        uri = $i; suite = $(i + 1); comps = ""
        for (j = i + 2; j <= NF; j++) comps = comps (comps == "" ? "" : " ") $j
        printf "%s|%s|%s|%s\n", uri, suite, comps, signed
      }
    ' "$legacy"
  fi
}

# private_apt STATE: an apt state folder of the project's own under STATE,
# whose sources are the deb822 stanzas read from standard input; sets APT and
# APT_CACHE to apt-get and apt-cache working on it. The machine's apt
# configuration and package state are neither read for sources nor written.
private_apt() {
  local state=$1
  rm -rf "$state"
  mkdir -p "$state/lists/partial" "$state/archives/partial" "$state/parts"
  cat >"$state/parts/vantrel.sources"
  : >"$state/status"
  local options=(
    -o "Dir::State=$state" -o "Dir::State::status=$state/status" -o "Dir::Cache=$state"
    -o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$state/parts"
    -o "Dir::Etc::Preferences=/dev/null" -o "Dir::Etc::PreferencesParts=$state/parts"
    -o "APT::Sandbox::User=root")
  APT=(apt-get -q "${options[@]}")
  APT_CACHE=(apt-cache "${options[@]}")
}

# deb822_stanza TYPE URIS SUITES COMPONENTS SIGNED_BY: one source stanza.
deb822_stanza() {
  printf 'Types: %s\nURIs: %s\nSuites: %s\nComponents: %s\n' "$1" "$2" "$3" "$4"
  [ -n "$5" ] && printf 'Signed-By: %s\n' "$5"
  printf '\n'
}
