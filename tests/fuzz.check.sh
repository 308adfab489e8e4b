#!/usr/bin/env bash
# Short fuzzing pass after the unit tests: replays the saved regression inputs
# and fuzzes the form reader and the share link briefly; fails on any fault.
exec "$(dirname "$0")/fuzz/run.sh" "${FUZZ_SECONDS:-20}"
