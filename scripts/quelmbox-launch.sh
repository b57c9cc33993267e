#!/bin/sh
# Installed as bin/quelmbox: the tool reads its settings and language files
# from its working directory and writes the language choice there, so each
# user gets a folder of their own, filled from the installed files.
set -e
here=$(dirname "$(readlink -f "$0")")
lib="$here/../lib/quelmbox"
work="${XDG_DATA_HOME:-$HOME/.local/share}/quelmbox"
mkdir -p "$work"
for file in "$lib"/*.dat; do
  name=$(basename "$file")
  if [ "$name" != param_box.dat ] || [ ! -e "$work/$name" ]; then cp -f "$file" "$work/$name"; fi
done
cd "$work"
exec "$lib/quelmbox" "$@"
