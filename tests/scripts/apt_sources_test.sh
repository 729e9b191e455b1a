#!/usr/bin/env bash
# The source entries setup derives from a machine's Debian archive entries,
# over the kinds of apt configuration a machine may have. Each case is a
# folder standing for /etc/apt; its expected output sits beside it.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/apt-sources.sh"
# The same strictness as setup: a function that fails here would stop setup.
set -e

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0 passed=0

# check NAME EXPECTED ACTUAL
check() {
  if [ "$2" == "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED: %s\n--- expected\n%s\n--- got\n%s\n' "$1" "$2" "$3"
  fi
}

# make_case NAME: an empty apt folder.
make_case() {
  mkdir -p "$work/$1/sources.list.d"
  echo "$work/$1"
}

deb822='Types: deb
URIs: http://archive.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://archive.example/debian-security
Suites: bookworm-security
Components: main

Types: deb
URIs: http://other.example/repo
Suites: nodistro
Components: main

Types: deb
URIs: http://archive.example/debian
Suites: trixie
Components: main

Types: deb
Enabled: no
URIs: http://disabled.example/debian
Suites: bookworm
Components: main

Types: deb
URIs: http://archive.example/debian
Suites: bookworm
Components: non-free'
deb822_expected='Types: deb-src
URIs: http://archive.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://archive.example/debian-security
Suites: bookworm-security
Components: main'
oneline='# the archive
deb http://archive.example/debian bookworm main
deb [signed-by=/usr/share/keyrings/x.gpg arch=amd64] http://archive.example/debian-security bookworm-security main contrib
deb http://archive.example/debian bookworm contrib
deb http://other.example/repo nodistro main
#deb http://archive.example/debian bookworm main'
oneline_expected='deb-src http://archive.example/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/x.gpg arch=amd64] http://archive.example/debian-security bookworm-security main contrib'

# deb822 only: no sources.list at all (the fresh machine that stopped setup).
dir="$(make_case deb822-only)"
printf '%s\n' "$deb822" >"$dir/sources.list.d/debian.sources"
check "deb822 only: stanzas" "$deb822_expected" "$(deb822_source_entries "$dir" bookworm)"
check "deb822 only: no one-line entries" "" "$(oneline_source_entries "$dir" bookworm)"
check "deb822 only: needs entries" 1 "$(has_source_entries "$dir" && echo 0 || echo 1)"

# One-line only.
dir="$(make_case oneline-only)"
printf '%s\n' "$oneline" >"$dir/sources.list"
check "one-line only: lines" "$oneline_expected" "$(oneline_source_entries "$dir" bookworm)"
check "one-line only: no stanzas" "" "$(deb822_source_entries "$dir" bookworm)"

# Both, and a one-line file in sources.list.d.
dir="$(make_case both)"
printf '%s\n' "$deb822" >"$dir/sources.list.d/debian.sources"
printf '%s\n' "$oneline" >"$dir/sources.list.d/extra.list"
check "both: stanzas" "$deb822_expected" "$(deb822_source_entries "$dir" bookworm)"
check "both: lines" "$oneline_expected" "$(oneline_source_entries "$dir" bookworm)"

# Neither: no file at all, or no codename known.
dir="$(make_case neither)"
check "neither: stanzas" "" "$(deb822_source_entries "$dir" bookworm)"
check "neither: lines" "" "$(oneline_source_entries "$dir" bookworm)"
check "neither: needs entries" 1 "$(has_source_entries "$dir" && echo 0 || echo 1)"
dir="$(make_case no-codename)"
printf '%s\n' "$deb822" >"$dir/sources.list.d/debian.sources"
check "no codename" "" "$(deb822_source_entries "$dir" "")$(oneline_source_entries "$dir" "")"

# An existing source entry, in each form: nothing is to be added.
dir="$(make_case existing-oneline)"
printf '%s\ndeb-src http://archive.example/debian bookworm main\n' "$oneline" >"$dir/sources.list"
check "existing one-line deb-src" 0 "$(has_source_entries "$dir" && echo 0 || echo 1)"
dir="$(make_case existing-deb822)"
printf 'Types: deb deb-src\nURIs: http://archive.example/debian\nSuites: bookworm\nComponents: main\n' \
  >"$dir/sources.list.d/debian.sources"
check "existing deb822 deb-src" 0 "$(has_source_entries "$dir" && echo 0 || echo 1)"
dir="$(make_case commented-deb-src)"
printf '%s\n# deb-src http://archive.example/debian bookworm main\n' "$oneline" >"$dir/sources.list"
check "a commented deb-src is none" 1 "$(has_source_entries "$dir" && echo 0 || echo 1)"

echo "$passed passed, $failed failed"
[ $failed = 0 ]
