#!/usr/bin/env bash
# Sets up and builds the program, its build script and its .8XP wrapper
# (no tests, benchmarks or fuzzers), then starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" program
exec "$root/build/bin/palvorn-enemy-creator" "$@"
