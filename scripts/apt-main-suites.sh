# shellcheck shell=bash
# Sourced by scripts/setup and scripts/msvc-sysroot: apt reading the Debian main suites alone, for
# when the security suite's list cannot be had (a mirror caught mid-sync serves it at the wrong
# size). The system's own sources stay untouched.
#
# apt_main_suites DIR: writes the source list into DIR (an empty folder of the caller's) and sets
# the array `main_only` to the apt-get options that read it.
apt_main_suites() {
  local dir="$1"
  mkdir -p "$dir/sources.list.d"
  : >"$dir/sources.list"
  cat >"$dir/sources.list.d/debian.sources" <<'SOURCES'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  # shellcheck disable=SC2034  # read by the caller
  main_only=(-o "Dir::Etc::SourceList=$dir/sources.list" -o "Dir::Etc::SourceParts=$dir/sources.list.d")
}

# apt_get_or_main_suites WHO WHAT LOG [--update] ARGS...: `apt-get ARGS...` (after `apt-get
# update` with --update). When that fails it says so in one line, WHO naming the script and WHAT
# what was asked for, with apt's first error, and tries again with apt reading the main suites
# alone; a second failure is a second line, saying what to try, and status 1. apt's own output
# goes to LOG. Needs apt_main_suites first.
apt_get_or_main_suites() {
  local who="$1" what="$2" log="$3"
  shift 3
  local update=false
  if [[ "${1:-}" == --update ]]; then
    update=true
    shift
  fi
  first_error() { grep -m1 '^E:' "$log" || tail -n1 "$log"; }
  if { ! $update || apt-get update -qq; } >"$log" 2>&1 && apt-get "$@" >>"$log" 2>&1; then
    return 0
  fi
  echo "$who: apt-get could not $what ($(first_error)); trying again without the security suite" >&2
  if apt-get "${main_only[@]}" update -qq >"$log" 2>&1 && apt-get "${main_only[@]}" "$@" >>"$log" 2>&1; then
    return 0
  fi
  echo "$who: apt-get could not $what from the main suites either ($(first_error)); try 'apt-get update' (as root) later, or another mirror in /etc/apt/sources.list.d" >&2
  return 1
}
