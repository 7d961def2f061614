#!/bin/sh
# Installed as bin/marrowlake. The program reads its tracks from data/ under
# its working directory, so it is started from share/marrowlake/, which holds
# data/; both it (lib/marrowlake/) and that folder are found from this
# script's own place, under /usr as well as in an unpacked archive.
here=$(dirname "$(readlink -f "$0")")
cd "$here/../share/marrowlake" || exit 1
exec "$here/../lib/marrowlake/marrowlake" "$@"
