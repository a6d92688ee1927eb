#!/bin/sh
# The plug-in library exports exactly its two entry points.
set -eu
symbols=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$symbols" != "VSTPluginMain main " ]; then
  echo "exported symbols: $symbols (want exactly VSTPluginMain and main)" >&2
  exit 1
fi
types=$(nm -D --defined-only "$1" | awk '{print $2}' | sort -u | tr -d '\n')
[ "$types" = "T" ] || { echo "entry points are not text symbols: $types" >&2; exit 1; }
echo "exports: VSTPluginMain main"
