#!/usr/bin/env bash
# check-package.sh BUILD_DIR: makes the Debian package in BUILD_DIR with
# cpack and checks it as a user would receive it: its files, its control
# fields, its desktop entry, lintian, and the program unpacked into a
# temporary root making and building a real enemy with the build script in
# its installed place. Prints "ok:" or "FAILED:" per check and ends with
# "package: N passed, M failed"; exits non-zero if any check failed.
set -uo pipefail
build=$(cd "$1" && pwd)
passed=0
failed=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# check DESCRIPTION COMMAND...: runs the command quietly, counts the outcome.
check() {
    local what=$1 out
    shift
    if out=$("$@" 2>&1); then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what"
        [ -n "$out" ] && printf '%s\n' "$out" | sed 's/^/    /'
        failed=$((failed + 1))
    fi
}

finish() {
    echo "package: $passed passed, $failed failed"
    ((failed == 0))
    exit
}

echo "=== package: cpack -G DEB in $build"
if ! (cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1); then
    cat "$scratch/cpack.log"
    echo "FAILED: cpack made no package"
    failed=$((failed + 1))
    finish
fi
deb=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$scratch/cpack.log")
version=$(dpkg-deb -f "$deb" Version)
echo "package: $deb"

has_files() {
    local list missing=0
    list=$(dpkg-deb -c "$deb" | awk '{print $NF}')
    for f in ./usr/bin/palvorn-enemy-creator ./usr/lib/palvorn-enemy-creator/asm.sh \
        ./usr/lib/palvorn-enemy-creator/palvorn-8xp ./usr/share/applications/palvorn-enemy-creator.desktop \
        ./usr/share/icons/hicolor/scalable/apps/palvorn-enemy-creator.svg \
        ./usr/share/icons/hicolor/48x48/apps/palvorn-enemy-creator.png \
        ./usr/share/man/man1/palvorn-enemy-creator.1.gz ./usr/share/mime/packages/palvorn-enemy-creator.xml \
        ./usr/share/doc/palvorn-enemy-creator/copyright ./usr/share/doc/palvorn-enemy-creator/changelog.gz; do
        if ! grep -qxF -- "$f" <<<"$list"; then echo "missing $f"; missing=1; fi
    done
    return $missing
}
check "the file list holds the program, script, wrapper, desktop entry, icons, man page and docs" has_files
check "the file is named palvorn-enemy-creator_${version}_amd64.deb" \
    test "$(basename "$deb")" = "palvorn-enemy-creator_${version}_amd64.deb"

depends_on() {
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    grep -qE '(^|, )pasmo(,|$)' <<<"$depends" && grep -q 'libqt6widgets6' <<<"$depends" &&
        grep -q 'libtifiles2' <<<"$depends" && grep -q 'libticalcs2' <<<"$depends" &&
        grep -qE '(^|, )libticables2-8(,| |$)' <<<"$depends"
}
check "Depends has pasmo, libticables2-8 (its udev rule) and the shared libraries dpkg-shlibdeps found" depends_on

no_lintian_errors() {
    local report
    report=$(lintian "$deb" 2>/dev/null)
    printf '%s\n' "$report"
    ! grep -q '^E: ' <<<"$report"
}
check "lintian reports no errors" no_lintian_errors

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
check "desktop-file-validate passes" desktop-file-validate "$root/usr/share/applications/palvorn-enemy-creator.desktop"

program="$root/usr/bin/palvorn-enemy-creator"
# The first line names the program and the package's version; the licence follows.
version_and_licence() {
    local out
    out=$("$program" --version) || return 1
    test "$(head -n 1 <<<"$out")" = "palvorn-enemy-creator $version" && grep -q 'GPL-3.0-or-later' <<<"$out"
}
check "--version prints the package's version and the licence" version_and_licence

# A real enemy from the unpacked program, started from elsewhere, so that
# only its installed build script can be the one that runs.
makes_enemy() {
    local work="$scratch/enemies" pictures="$scratch/pictures" magic
    mkdir -p "$work" "$pictures"
    for pose in normal high low special hurt; do
        convert -size 16x8 xc:white -fill black -draw 'rectangle 2,1 13,6' "PNG24:$pictures/$pose.png" || return 1
    done
    (cd "$scratch" && "$program" create --name Slime --min-hp 20 --max-hp 65 --item potion --folder "$work" \
        --build "$pictures"/{normal,high,low,special,hurt}.png) || return 1
    head -c 8 "$work/Slime.8XP" | grep -q '^\*\*TI83F\*' || { echo "Slime.8XP is not a calculator program"; return 1; }
    # The desktop recognises the file by the first line the writer gives it.
    magic=$(sed -n 's/.*value="\([^"]*\)".*/\1/p' "$root/usr/share/mime/packages/palvorn-enemy-creator.xml")
    [ "$(head -n 1 "$work/Slime.asm" | tr -d '\r')" = "$magic" ] ||
        { echo "Slime.asm does not begin with the MIME type's magic \"$magic\""; return 1; }
}
check "the unpacked program's create --build makes Slime.8XP with its installed build script" makes_enemy

finish
