#!/usr/bin/env bash
# Every man page formats without a warning from man itself.
set -u
status=0
for page in "$@"; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  if [[ -n $warnings ]]; then
    echo "$page:"
    echo "$warnings"
    status=1
  fi
  # A page that renders to nothing is as broken as one with warnings.
  if ! LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q '^NAME'; then
    echo "$page: renders without a NAME section"
    status=1
  fi
done
exit $status
