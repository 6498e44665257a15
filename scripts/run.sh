#!/usr/bin/env bash
# Sets up and builds the project, then starts the program.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
exec "$root/build/bin/palvorn-enemy-creator" "$@"
