#!/bin/sh
# A stand-in installer for the demo: shows where and how the stub started it,
# then ends with exit code 3, which the stub hands back as its own.
echo "sample installer: working folder $(pwd)"
echo "sample installer: arguments:"
for argument in "$@"; do
    echo "    [$argument]"
done
echo "sample installer: files beside me:"
ls -1 "$(dirname "$0")" | sed 's/^/    /'
exit 3
