#!/bin/bash
# check_release.sh: checks the release files in build/dist as the systems that receive them
# would. Run from the source tree after make dist; make dist-check does both.
cd "$(dirname "$0")/../.."
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)
deb=build/dist/unbank_${version}_amd64.deb
rpm=build/dist/unbank-$version-1.x86_64.rpm
arm_deb=build/dist/unbank_${version}_arm64.deb
arm_rpm=build/dist/unbank-$version-1.aarch64.rpm
# Runs the ARM packages' programs here, on the cross libraries alone (cmake/aarch64-linux-gnu.cmake)
qemu=(qemu-aarch64 -L /usr/aarch64-linux-gnu -E LD_LIBRARY_PATH=/usr/aarch64-linux-gnu/lib)
zip=build/dist/unbank-$version-windows-x86.zip
setup=build/dist/unbank-$version-setup.exe
tarball=build/dist/unbank-$version.tar.gz
scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT
passed=0 failed=0

# check WHAT COMMAND...: runs the command and counts it.
check() {
    if "${@:2}"; then
        echo "ok: $1"
        passed=$((passed + 1))
    else
        echo "FAILED: $1"
        failed=$((failed + 1))
    fi
}

# The package's own programs in BIN, behind the runner given if any, make a demo bank and write
# its six slots: extracts_demo_bank BIN [RUNNER...]
extracts_demo_bank() {
    local bin=$1 dir
    shift
    dir=$(mktemp -d -p "$scratch") &&
        (cd "$dir" && "$@" "$bin/mkbank" demo.zp4 --demo >/dev/null &&
            "$@" "$bin/unbank" -q -o wav demo.zp4) &&
        [ "$(ls "$dir/wav" | xargs)" = "00.wav 00s.wav 03.wav 05s.wav 07.wav 12.wav" ]
}

# The RPM package holds exactly the programs, their manual pages and completions, and the
# license with the changelog.
holds_rpm_files() {
    [ "$(rpm -qlp "$1" | xargs)" = "/usr/bin/mkbank /usr/bin/unbank \
/usr/share/bash-completion/completions/mkbank /usr/share/bash-completion/completions/unbank \
/usr/share/doc/unbank /usr/share/doc/unbank/changelog.gz /usr/share/doc/unbank/copyright \
/usr/share/man/man1/mkbank.1.gz /usr/share/man/man1/unbank.1.gz" ]
}

# man formats the page without a complaint, its footer naming the version.
renders() {
    local page
    page=$(MANWIDTH=80 man -l "$1" 2>"$scratch/man.err") && [ ! -s "$scratch/man.err" ] &&
        grep -q "unbank $version" <<<"$page" || { cat "$scratch/man.err"; false; }
}

crlf_only() { ! grep -qv $'\r$' "$@"; }

builds_from_archive() {
    tar -xzf "$tarball" -C "$scratch" && make -C "$scratch/unbank-$version" build \
        >"$scratch/build.log" 2>&1 || { tail -30 "$scratch/build.log"; false; }
}

# The programs of a package unpacked in DIR, behind the runner given if any, and their manual
# pages: check_unpacked DIR [RUNNER...]
check_unpacked() {
    local root=$1
    shift
    check "usr/bin/unbank --version" \
        [ "$("$@" "$root/usr/bin/unbank" --version)" = "unbank $version" ]
    check "its programs extract a demo bank" extracts_demo_bank "$root/usr/bin" "$@"
    for page in unbank mkbank; do
        check "man renders $page.1" renders "$root/usr/share/man/man1/$page.1.gz"
    done
}

# check_deb PACKAGE [RUNNER...] and check_rpm PACKAGE [RUNNER...]
check_deb() {
    local dir=$scratch/${1##*/}
    echo "Debian package $1:"
    check "lintian reports no error" lintian --allow-root --fail-on error --display-info "$1"
    dpkg-deb -x "$1" "$dir"
    check_unpacked "$dir" "${@:2}"
}

check_rpm() {
    local dir=$scratch/${1##*/}
    echo "RPM package $1:"
    check "rpmlint reports no error" rpmlint -r tests/release/rpmlintrc "$1"
    check "it holds the programs, manual pages, completions and license" holds_rpm_files "$1"
    mkdir "$dir" && (cd "$dir" && rpm2cpio "$OLDPWD/$1" | cpio -idm --quiet)
    check_unpacked "$dir" "${@:2}"
}

check_deb "$deb"
check_rpm "$rpm"
# The ARM packages' programs run under qemu-user.
check_deb "$arm_deb" "${qemu[@]}"
check_rpm "$arm_rpm" "${qemu[@]}"

echo "Windows zip $zip:"
check "it holds exactly the five files, no two names alike but for case" \
    [ "$(unzip -Z1 "$zip" | LC_ALL=C sort | xargs)" = \
    "LICENSE.txt README.txt UNBANK.exe cli/mkbank.exe cli/unbank.exe" ]
unzip -q "$zip" -d "$scratch/zip"
check "the texts have CRLF line ends" crlf_only "$scratch/zip/README.txt" "$scratch/zip/LICENSE.txt"
check "exiftool reads the version resources" \
    sh tests/release/version_resource.sh "$version" "$scratch"/zip/*.exe "$scratch"/zip/cli/*.exe

# The installer's own checks, each on a line of its own, in a fresh 32-bit prefix.
installs_under_wine() {
    local reason
    if ! reason=$(cmake/wine-probe.sh); then
        echo "SKIPPED: the installer under 32-bit Wine: $reason"
        return 0
    fi
    xvfb-run -a -s "-screen 0 1024x768x24" bash tests/release/check_installer.sh "$setup" \
        "$version" "$scratch/installer"
}

echo "Windows installer $setup:"
check "exiftool reads its version" sh tests/release/version_resource.sh "$version" "$setup"
check "it installs, works and uninstalls silently under 32-bit Wine" installs_under_wine

echo "Source archive $tarball:"
check "unpacked outside any checkout, it builds with make build" builds_from_archive

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
