#!/bin/sh
# A stand-in installer for the demo: shows where and how the stub started it,
# then ends with exit code 3, which the stub hands back as its own.
printf 'sample installer: working folder %s\n' "$(pwd)"
printf 'sample installer: arguments:\n'
for argument in "$@"; do
    printf '    [%s]\n' "$argument"
done
printf 'sample installer: files beside me:\n'
ls -1 "$(dirname "$0")" | sed 's/^/    /'
exit 3
