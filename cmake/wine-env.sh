# Sourced by the Wine scripts: the loader that matches the build (the 32-bit one for the i686
# build, in a prefix made as win32) and a prefix and home inside the build tree, so tests never
# touch the real home folder. Needs build_dir set; the build's toolchain wrote its Wine
# architecture into build_dir/wine-arch.
if [ "$(cat "$build_dir/wine-arch")" = win32 ]; then
    export WINEARCH=win32
    export WINELOADER=/usr/lib/wine/wine
else
    unset WINEARCH # one left in the caller's environment would refuse the 64-bit prefix
    export WINELOADER=/usr/lib/wine/wine64
fi
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="$build_dir/winehome"
mkdir -p "$HOME/Desktop"
