#!/bin/sh
# Installed as bin/marrowlake: starts the program from lib/marrowlake/ beside
# it, whose data/ folder holds the tracks the program reads.
here=$(dirname "$(readlink -f "$0")")
cd "$here/../lib/marrowlake" || exit 1
exec ./marrowlake "$@"
