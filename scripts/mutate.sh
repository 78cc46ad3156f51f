#!/usr/bin/env bash
# Mutation run of the core against the Linux suite (slow; not part of CI).
# Options: see scripts/mutate.py --help.
exec python3 "$(dirname "$0")/mutate.py" "$@"
