#!/usr/bin/env bash
# Converts the bundled sample files with the bundled demo grid and shows the result.
set -euo pipefail
echo "The converter's driver is not built yet: 'make demo' will convert the bundled samples once it is." >&2
exit 1
