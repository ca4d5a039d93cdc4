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
