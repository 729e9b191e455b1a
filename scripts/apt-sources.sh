# Source entries for `apt-get source`, derived from the binary entries of the
# Debian archive this machine already uses. Sourced by setup and by its test.
# Every function here prints its result and returns 0: a missing file or an
# entry that does not fit is no error, it is simply not repeated.

# has_source_entries APT_DIR: true when any list already names deb-src.
has_source_entries() {
  local dir="$1" f
  for f in "$dir/sources.list" "$dir"/sources.list.d/*.list; do
    [ -f "$f" ] && grep -qE '^[[:space:]]*deb-src[[:space:]]' "$f" && return 0
  done
  for f in "$dir"/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -qiE '^Types:.*\bdeb-src\b' "$f" && return 0
  done
  return 1
}

# deb822_source_entries APT_DIR CODENAME: the .sources stanzas of CODENAME's
# main component, each repeated as a deb-src stanza.
deb822_source_entries() {
  local dir="$1" codename="$2" f
  [ -n "$codename" ] || return 0
  for f in "$dir"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # Stanzas are separated by blank lines; keep only those that fit.
    awk -v codename="$codename" '
      function flush() {
        if (stanza != "" && suite_ok && main_ok && type_ok && !disabled) print stanza "\n"
        stanza = ""; suite_ok = main_ok = type_ok = disabled = 0
      }
      /^[[:space:]]*$/ { flush(); next }
      {
        line = $0
        if (tolower(line) ~ /^types:/) {
          type_ok = (line ~ /[[:space:]]deb([[:space:]]|$)/)
          line = "Types: deb-src"
        } else if (tolower(line) ~ /^suites:/) {
          n = split(substr(line, 8), words, /[[:space:]]+/)
          for (i = 1; i <= n; i++)
            if (words[i] == codename || index(words[i], codename "-") == 1) suite_ok = 1
        } else if (tolower(line) ~ /^components:/) {
          n = split(substr(line, 12), words, /[[:space:]]+/)
          for (i = 1; i <= n; i++) if (words[i] == "main") main_ok = 1
        } else if (tolower(line) ~ /^enabled:[[:space:]]*no/) {
          disabled = 1
        }
        stanza = stanza (stanza == "" ? "" : "\n") line
      }
      END { flush() }
    ' "$f"
  done
  return 0
}

# oneline_source_entries APT_DIR CODENAME: the one-line entries of CODENAME's
# main component (sources.list and sources.list.d/*.list), as deb-src lines.
oneline_source_entries() {
  local dir="$1" codename="$2" f
  [ -n "$codename" ] || return 0
  for f in "$dir/sources.list" "$dir"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v codename="$codename" '
      $1 == "deb" {
        i = 2
        if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
        uri = i; suite = i + 1
        if (suite > NF) next
        if ($suite != codename && index($suite, codename "-") != 1 && index($suite, codename "/") != 1) next
        for (j = suite + 1; j <= NF; j++) if ($j == "main") { sub(/^deb/, "deb-src"); print; next }
      }
    ' "$f"
  done
  return 0
}
