#!/bin/sh
# The Debian package as cpack makes it from the build folder: its name, its files under /usr,
# the dependencies dpkg-shlibdeps found, and programs that run from the unpacked files.
set -eu
build=$1; version=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" > /dev/null || fail "$tool is missing (scripts/deps test installs dpkg-dev)"
done

(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb="$work/quorvix_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work")"

dpkg-deb -c "$deb" | awk '{ print $6 }' > "$work/files.txt"
for want in ./usr/lib/vst/Quorvix.so ./usr/bin/quorvix-host ./usr/bin/Quorvix_NoVSTHost \
            ./usr/share/man/man1/quorvix-host.1.gz ./usr/share/man/man1/Quorvix_NoVSTHost.1.gz \
            ./usr/share/doc/quorvix/README.md; do
  grep -qx -- "$want" "$work/files.txt" || fail "the package lacks $want"
done
! grep -v '^\./usr/' "$work/files.txt" | grep -v '^\./$' > /dev/null || fail "files outside /usr: $(grep -v '^\./usr/' "$work/files.txt")"

dpkg-deb --info "$deb" > "$work/info.txt"
grep -qx ' Package: quorvix' "$work/info.txt" || fail "package name"
grep -qx " Version: $version" "$work/info.txt" || fail "version"
depends=$(sed -n 's/^ Depends: //p' "$work/info.txt")
for library in libc6 libstdc++6 libsndfile1 libgtk-3-0; do
  printf '%s\n' "$depends" | tr ',' '\n' | grep -q "^ *$library " || fail "Depends lacks $library: $depends"
done

# the unpacked programs run: the host reads the plug-in, the manual page renders
dpkg-deb -x "$deb" "$work/root"
usr="$work/root/usr"
XDG_CONFIG_HOME="$work/config" "$usr/bin/quorvix-host" info "$usr/lib/vst/Quorvix.so" > "$work/plugin.txt" \
  || fail "the packaged host cannot read the packaged plug-in"
grep -q "effect name:      Quorvix" "$work/plugin.txt" || fail "packaged plug-in: $(head -3 "$work/plugin.txt")"
zcat "$usr/share/man/man1/quorvix-host.1.gz" | grep -q '^\.SH NAME' || fail "the packaged manual page"
echo "package: $(basename "$deb"), Depends: $depends"
