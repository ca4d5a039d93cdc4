#!/usr/bin/env bash
# Makes the man page of the native tool from its own help, with help2man:
#   pyrelle-man-page.sh PYRELLE OUTPUT.1.gz
# The page holds the program's help and then each command's, each under a heading of its own;
# help2man reads them through this script, which it calls back as `--help-of PYRELLE`.
set -euo pipefail

if [[ "${1:-}" == --version-of ]]; then
  exec "$2" --version
fi
if [[ "${1:-}" == --help-of ]]; then
  pyrelle="$2"
  # help2man takes a capitalised "Usage:" at the top for the synopsis, and a line ending in ':'
  # before indented text for a heading. Under each command's heading come its usage forms, one
  # indented paragraph each (a form's continuation lines join it).
  "$pyrelle" --help | sed '1s/^usage:/Usage:/'
  for command in render config "config show" "config write"; do
    printf '\npyrelle %s:\n' "$command"
    # shellcheck disable=SC2086  # the command's words are separate arguments
    "$pyrelle" $command --help | awk '
      /^usage: / { form = substr($0, 8); in_usage = 1; next }
      in_usage && /^ +[^ ]/ {
        sub(/^ +/, "")
        if ($0 ~ /^pyrelle /) { print "  " form; print ""; form = $0 } else { form = form " " $0 }
        next
      }
      in_usage { print "  " form; in_usage = 0 }
      { print }'
  done
  exit 0
fi

if (($# != 2)); then
  echo "usage: cmake/pyrelle-man-page.sh PYRELLE OUTPUT.1.gz" >&2
  exit 2
fi
pyrelle="$(realpath "$1")"
out="$2"
self="$(realpath "${BASH_SOURCE[0]}")"
page="$(mktemp)"
trap 'rm -f "$page" "$out.tmp"' EXIT
help2man --no-info --section 1 --manual "User Commands" \
  --name "the audio-driven fire off screen: videos, GIFs and PNG frames of a song" \
  --help-option "--help-of '$pyrelle'" --version-option "--version-of '$pyrelle'" \
  --output "$page" "$self"
# Debian installs man pages compressed, without a name or time stamp in the gzip header.
gzip -9n <"$page" >"$out.tmp"
mv "$out.tmp" "$out"
