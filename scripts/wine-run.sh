#!/bin/sh
# Runs a Windows program under wine for tests: the ANSI code page comes from LC_ALL, which is
# set here for the wine process only (default code page 936; a test wanting 1252 sets
# LOADER_TEST_LC_ALL=en_US.UTF-8 in its own environment). LOADER_WINE names the wine loader
# (scripts/env.sh: wine, or wine64's own loader for the 64-bit tree on any host).
LC_ALL="${LOADER_TEST_LC_ALL:-zh_CN.UTF-8}"
export LC_ALL
exec "${LOADER_WINE:-wine}" "$@"
