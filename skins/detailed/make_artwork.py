#!/usr/bin/env python3
"""The detailed skin's pictures and icon are the default skin's: this runs
resources/make_artwork.py with the same arguments (make_artwork.py OUTDIR)."""

import os
import runpy
import sys

DEFAULT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                       "make_artwork.py")
sys.argv[0] = DEFAULT
runpy.run_path(DEFAULT, run_name="__main__")
