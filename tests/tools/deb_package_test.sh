#!/usr/bin/env bash
# The Debian package as a user gets it: lintian finds no error in it, and from the extracted tree
# the program runs and its man page renders.
#   deb_package_test.sh BUILD_DIR WORK_DIR VERSION
set -euo pipefail
deb="$1/pyrelle_$3_amd64.deb"
work="$2"
version="$3"
rm -rf "$work" && mkdir -p "$work"

fail() {
  echo "deb_package_test: $*" >&2
  exit 1
}

lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian reports errors"; }

# Only the program, its page and the documentation Debian asks for: no test or benchmark.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$work/files"
printf '%s\n' ./usr/bin/pyrelle ./usr/share/doc/pyrelle/changelog.gz ./usr/share/doc/pyrelle/copyright \
  ./usr/share/man/man1/pyrelle.1.gz | diff - "$work/files" || fail "unexpected files in the package"
# dpkg-shlibdeps has named the libraries the program links.
dpkg-deb -f "$deb" Depends | grep -q 'libavformat.*libpng' || fail "Depends lacks the program's libraries"

dpkg-deb -x "$deb" "$work/root"
[[ "$("$work/root/usr/bin/pyrelle" --version)" == "pyrelle $version" ]] || fail "the packaged program's --version"
MANWIDTH=100 man -l "$work/root/usr/share/man/man1/pyrelle.1.gz" >"$work/page" 2>"$work/man-errors"
[[ ! -s "$work/man-errors" ]] || { cat "$work/man-errors"; fail "man reports problems with the page"; }
# The page is the program's own help, the commands' included.
for text in "pyrelle - the audio-driven fire" "pyrelle COMMAND [OPTIONS]" "--dump-palette FILE" \
  "pyrelle config write FILE"; do
  grep -qF -- "$text" "$work/page" || fail "the man page lacks '$text'"
done
echo "deb_package_test: $deb is good"
