# Sourced by the Wine scripts: the 64-bit loader and a prefix and home inside the build tree,
# so tests never touch the real home folder. Needs build_dir set.
export WINEPREFIX="$build_dir/wineprefix"
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="$build_dir/winehome"
mkdir -p "$HOME/Desktop"
