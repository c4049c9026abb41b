#!/bin/sh
# Stands in for the web browser that Wine's shell hands http addresses to:
# appends each address to the session's log instead of opening it.
for url in "$@"; do
  printf '%s\n' "$url" >> "${QUILLMERE_BROWSER_LOG:-/dev/null}"
done
