#!/usr/bin/env bash
# Runs one Windows program of the build under Wine with the build's prefix.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
exec wine "$@"
