#!/bin/sh
# Runs a Windows program under wine for tests: the ANSI code page comes from LC_ALL, which is
# set here for the wine process only (default code page 936; a test wanting 1252 sets
# LOADER_TEST_LC_ALL=en_US.UTF-8 in its own environment).
LC_ALL="${LOADER_TEST_LC_ALL:-zh_CN.UTF-8}"
export LC_ALL
exec wine "$@"
