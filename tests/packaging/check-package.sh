#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it as a user's
# machine would meet it: its contents, its dependencies, the desktop entries
# and metainfo against their validators, and the programs started from the
# unpacked tree.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
library_pid=""
cleanup() {
    if [ -n "$library_pid" ]; then
        kill "$library_pid" 2>/dev/null || true
        wait "$library_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb="$(ls "$work"/out/*.deb)"

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents"
for path in usr/bin/melvora usr/bin/music-library usr/bin/melvora-cli \
            usr/share/applications/org.melvora.Melvora.desktop \
            usr/share/applications/org.melvora.MusicLibrary.desktop \
            usr/share/metainfo/org.melvora.Melvora.metainfo.xml \
            usr/share/man/man1/melvora-cli.1.gz usr/share/man/man1/music-library.1.gz \
            "usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)/rhythmbox/plugins/melvora/melvora.plugin"; do
    grep -qx "./$path" "$work/contents" || fail "the package lacks $path"
done
for size in 16 24 32 48 64 128 256 512; do
    for id in org.melvora.Melvora org.melvora.MusicLibrary; do
        grep -qx "./usr/share/icons/hicolor/${size}x${size}/apps/$id.png" "$work/contents" || fail "no ${size}px icon $id"
    done
done
# Nothing outside the prefix, nothing from the build's tests or benchmarks.
grep -v '^\./usr/' "$work/contents" | grep -vx '\./' && fail "files outside /usr"
grep -E 'tst_|melvora-bench' "$work/contents" && fail "test or benchmark programs packaged"

depends="$(dpkg-deb -f "$deb" Depends)"
for needed in libqt6core6 libqt6widgets6 libtag1v5 libdbus-1-3 libqt6sql6-sqlite; do
    echo "$depends" | grep -q "$needed" || fail "Depends lacks $needed: $depends"
done
echo "$depends" | grep -q -- '-dev' && fail "Depends names a -dev package: $depends"
# Journal inserts go through SQLite itself; Rhythmbox is suggested, not needed.
echo "$depends" | grep -q libsqlite3-0 || fail "Depends lacks libsqlite3-0: $depends"
echo "$depends" | grep -q rhythmbox && fail "Depends names Rhythmbox: $depends"
dpkg-deb -f "$deb" Suggests | grep -q rhythmbox || fail "Suggests lacks rhythmbox"

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/"*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.melvora.Melvora.metainfo.xml" || fail "appstreamcli"

export LD_LIBRARY_PATH="$work/root/usr/lib:$work/root/usr/lib/x86_64-linux-gnu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
"$work/root/usr/bin/melvora-cli" --version | grep -q '^melvora-cli ' || fail "melvora-cli --version"
QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/music-library" --headless --database "$work/library.sqlite" \
    >"$work/library.log" 2>&1 &
library_pid=$!
for _ in $(seq 100); do
    if dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
           org.freedesktop.DBus.NameHasOwner string:com.apple.iTunes 2>/dev/null | grep -q true; then
        # The unpacked command line finds the unpacked library on the bus.
        "$work/root/usr/bin/melvora-cli" history >/dev/null || fail "melvora-cli history"
        echo "package $(basename "$deb") checked"
        exit 0
    fi
    kill -0 "$library_pid" 2>/dev/null || { cat "$work/library.log" >&2; fail "music-library --headless ended"; }
    sleep 0.1
done
fail "music-library --headless did not come onto the bus"
