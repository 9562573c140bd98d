#!/usr/bin/env bash
# The installable set: desktop entry and metainfo valid, man pages clean, and a
# `cpack -G DEB` package of exactly the expected files, depending on Qt, whose
# unpacked programs run. Installs nothing; exits 77 when a tool is missing.
#   check_package.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
src=$1 build=$2 version=$3
app_id=org.example.scpmaker
fail() { echo "FAIL: $*" >&2; exit 1; }
missing=()
have() { command -v "$1" >/dev/null || { missing+=("$1"); false; }; }
export QT_FATAL_WARNINGS=1 QT_QPA_PLATFORM=offscreen

# Strict desktops pass an "Open with" folder only where the command asks for one;
# from the menu, with none, the editor opens the latest.
grep -qx 'Exec=scpmaker --recent %f' "$src/packaging/scpmaker.desktop" ||
    fail "the entry takes no folder, or does not open the latest"
if have desktop-file-validate; then
    out=$(desktop-file-validate "$src/packaging/scpmaker.desktop" 2>&1) || fail "$out"
    grep -v ': hint: ' <<<"$out" | grep . && fail "desktop entry warnings"
fi
if have appstreamcli; then
    appstreamcli validate --no-net --strict "$src/packaging/$app_id.metainfo.xml" || fail "metainfo"
fi
grep -q "<release version=\"$version\"" "$src/packaging/$app_id.metainfo.xml" ||
    fail "metainfo has no release $version"
grep -q "^scpmaker ($version)" "$src/packaging/changelog" || fail "changelog has no $version"
for page in scpmaker scpmaker-compile; do
    grep -q "\"scpmaker $version\"" "$src/packaging/$page.1" || fail "$page.1 is not for $version"
    have groff || continue
    out=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$src/packaging/$page.1" 2>&1)
    [[ -z $out ]] || fail "$page.1: $out"
done
command -v dpkg-shlibdeps >/dev/null || { echo "SKIPPED: no dpkg-shlibdeps (dpkg-dev)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime" # Qt warns without one, and warnings are fatal here
export XDG_RUNTIME_DIR=$work/runtime
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=("$work"/out/*.deb)
[[ ${#deb[@]} -eq 1 && ${deb[0]##*/} == "scpmaker_${version}_"*.deb ]] || fail "package: ${deb[*]}"

share=./usr/share
expected=(./usr/bin/scpmaker ./usr/bin/scpmaker-compile "$share/applications/scpmaker.desktop"
    "$share/metainfo/$app_id.metainfo.xml" "$share/icons/hicolor/scalable/apps/scpmaker.svg"
    "$share/man/man1/scpmaker.1.gz" "$share/man/man1/scpmaker-compile.1.gz"
    "$share/doc/scpmaker/copyright" "$share/doc/scpmaker/changelog.gz"
    "$share/lintian/overrides/scpmaker")
for s in 16 32 48 64 128 256; do expected+=("$share/icons/hicolor/${s}x$s/apps/scpmaker.png"); done
diff <(printf '%s\n' "${expected[@]}" | sort) \
     <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort) || fail "package contents"

[[ $(dpkg-deb -f "$deb" Package Version) == "Package: scpmaker"$'\n'"Version: $version" ]] ||
    fail "Package or Version field"
depends=$(dpkg-deb -f "$deb" Depends)
for name in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libc6; do
    grep -qE "(^|, )$name( |,|$)" <<<"$depends" || fail "Depends lacks $name: $depends"
done

# No lintian error or warning, and the distribution's hardening (its info tags
# hardening-no-*); the checked C functions called, as lintian's override counts on.
if have lintian; then
    out=$(lintian --display-info --fail-on none "$deb" 2>&1) || fail "lintian: $out"
    grep -E '^[EW]: |^I: [^ ]+ hardening-' <<<"$out" && fail "lintian"
fi

# The unpacked programs run: the compiler makes the example's script byte for
# byte, and both answer --help and --version without a display.
dpkg-deb -x "$deb" "$work/root"
bin=$work/root/usr/bin share_dir=$work/root/usr/share
cp -r "$src/examples/patch" "$work/patch"
out=$("$bin/scpmaker-compile" "$work/patch") && [[ $out == "Mantle.Scp has been created" ]] ||
    fail "unpacked scpmaker-compile said: $out"
cmp "$work/patch/mantle.scp" "$src/tests/data/scripts/example.scp" || fail "script differs"
rm "$work/patch/mantle.scp"
bare() { (cd "$work/patch" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$bin/$1" "${@:2}"); }
for prog in scpmaker scpmaker-compile; do
    [[ $(readelf --dyn-syms -W "$bin/$prog") =~ \ UND\ __mem(cpy|set)_chk@ ]] ||
        fail "$prog calls no checked function: not built with _FORTIFY_SOURCE"
    out=$(bare $prog --version 2>&1) && [[ $out == "$prog $version" ]] || fail "$prog --version: $out"
    help=$(bare $prog --help 2>&1) && [[ $help == "Usage: $prog "* ]] || fail "$prog --help: $help"
    # --help-all prints the same and does nothing else; output reaching nobody fails.
    out=$(bare $prog --help-all 2>&1) && [[ $out == "$help" ]] || fail "$prog --help-all: $out"
    for option in --help --version; do
        out=$(bare $prog $option 2>&1 >/dev/full) && status=0 || status=$?
        [[ $status -eq 1 && $out == "$prog: write error" ]] ||
            fail "$prog $option >/dev/full ($status): $out"
    done
done
[[ ! -e $work/patch/mantle.scp ]] || fail "an option wrote mantle.scp"
# A folder that cannot be opened is a failure that names it and the reason.
out=$(bare scpmaker "$work/none" 2>&1) && status=0 || status=$?
[[ $status -eq 1 && $out == *"\"$work/none\": No such file or directory" ]] || fail "scpmaker DIR ($status): $out"

# The entry claims no folders (else the editor becomes every folder's default);
# the cache is made as installing makes it, entries counting where on the PATH.
if have update-desktop-database && have gio; then
    update-desktop-database "$share_dir/applications"
    out=$(env -i HOME="$work" PATH="$bin:/usr/bin:/bin" XDG_DATA_DIRS="$share_dir:/usr/share" \
        gio mime inode/directory 2>&1)
    [[ $out != *scpmaker* ]] || fail "the desktop entry claims folders: $out"
fi

[[ ${#missing[@]} -eq 0 ]] || { echo "SKIPPED: not found: ${missing[*]}"; exit 77; }
echo "package ${deb##*/} checked"
