#!/usr/bin/env bash
# Builds the Debian package from the build folder, unpacks it into a scratch root (no root
# rights needed, nothing is installed on the machine) and checks what a user gets: the files,
# the declared dependencies, the menu entry, the manual pages, the versions, a run of the
# installed back-end on an installed example, the front-end's lookup of the installed back-end,
# the window opened by the menu entry's command, and lintian.
#
#   package_test.sh BUILD_DIR SCRATCH_DIR VERSION LOOKUP_PROBE
#
# Exit status 77 (skipped) when a tool it needs is not installed.
set -uo pipefail

build_dir=$1
scratch=$2
version=$3
probe=$4

failures=0
pass() { echo "ok: $*"; }
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
check() { # check "what" command...: passes when the command succeeds
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# A missing tool skips the test, unless VRN_REQUIRE_PACKAGE_TEST=1 (CI) makes that a failure.
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate lintian help2man rsvg-convert man col file \
    xvfb-run xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed (scripts/packages.txt lists the packages)"
        [ "${VRN_REQUIRE_PACKAGE_TEST:-0}" = 1 ] && exit 1
        exit 77
    fi
done

rm -rf "$scratch"
mkdir -p "$scratch"
root=$scratch/root

echo "== Building the package"
if ! cpack --config "$build_dir/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    fail "cpack builds the package"
    exit 1
fi
deb=$(ls "$scratch"/package/vrn_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || {
    cat "$scratch/cpack.log"
    fail "cpack wrote a vrn_*.deb"
    exit 1
}
pass "cpack wrote $(basename "$deb")"

echo "== Control data"
field() { dpkg-deb --field "$deb" "$1"; }
check "package name vrn" test "$(field Package)" = vrn
check "package version $version" test "$(field Version)" = "$version"
depends=$(field Depends)
echo "Depends: $depends"
for library in 'libwxgtk3\.2' 'libwxbase3\.2' 'coinor-libcbc' 'coinor-libclp' 'coinor-libsymphony' 'libglpk'; do
    check "depends on the runtime library $library" grep -Eq "(^|, )$library[^ ,]*" <<<"$depends"
done
check "depends on no -dev package" bash -c "! grep -q -- '-dev' <<<'$depends'"

echo "== Files"
dpkg-deb --extract "$deb" "$root"
expected=(
    usr/bin/vrn usr/bin/mainVRN.exe usr/bin/mainVRN-glpk usr/bin/vrn-gen
    usr/share/applications/vrn.desktop
    usr/share/icons/hicolor/scalable/apps/vrn.svg
    usr/share/man/man1/vrn.1.gz usr/share/man/man1/mainVRN.exe.1.gz
    usr/share/man/man1/mainVRN-glpk.1.gz usr/share/man/man1/vrn-gen.1.gz
    usr/share/doc/vrn/README.md usr/share/doc/vrn/backend/README.md
    usr/share/doc/vrn/copyright usr/share/doc/vrn/changelog.gz
    usr/share/doc/vrn/examples/table3x3.csp usr/share/doc/vrn/examples/grid30x30.csp
)
for size in 16 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/vrn.png")
done
for file in "${expected[@]}"; do
    check "$file" test -s "$root/$file"
done
for program in vrn mainVRN.exe mainVRN-glpk vrn-gen; do
    check "$program is executable" test -x "$root/usr/bin/$program"
done
for size in 16 48 256; do
    check "the ${size}x${size} icon is a PNG of that size" \
        grep -q "PNG image data, $size x $size" <<<"$(file "$root/usr/share/icons/hicolor/${size}x${size}/apps/vrn.png")"
done
check "the changelog's latest entry is this version" \
    grep -q "^vrn ($version)" <<<"$(zcat "$root/usr/share/doc/vrn/changelog.gz" | head -n 1)"

echo "== Menu entry"
desktop=$root/usr/share/applications/vrn.desktop
check "desktop-file-validate accepts the entry" desktop-file-validate "$desktop"
# The front-end reads no arguments, so the entry passes none (no %f or other field code).
check "the entry starts vrn with no arguments" grep -qx 'Exec=vrn' "$desktop"
check "the entry has no field code" bash -c "! grep -q '%' '$desktop'"
check "the entry's icon is the installed one" grep -qx 'Icon=vrn' "$desktop"

echo "== Versions and manual pages"
for program in mainVRN.exe mainVRN-glpk vrn-gen; do
    first=$("$root/usr/bin/$program" --version | head -n 1 | tr -d '\r')
    check "$program --version says '$program (VRN) $version'" test "$first" = "$program (VRN) $version"
done
for program in mainVRN.exe vrn-gen; do
    page=$(MANWIDTH=100 man --nh --nj --local-file "$root/usr/share/man/man1/$program.1.gz" 2>&1 | col -b)
    help=$("$root/usr/bin/$program" --help | tr -d '\r')
    missing=()
    for option in $(grep -oE -- '--[a-z][a-z-]*[a-z]' <<<"$help" | sort -u); do
        grep -qF -- "$option" <<<"$page" || missing+=("$option")
    done
    check "the manual page of $program names every option of its --help (${missing[*]:-none missing})" \
        test ${#missing[@]} -eq 0
    check "the manual page of $program has its exit statuses" grep -q "^EXIT STATUS" <<<"$page"
done
page=$(MANWIDTH=100 man --nh --nj --local-file "$root/usr/share/man/man1/mainVRN.exe.1.gz" 2>&1 | col -b)
flat=$(tr -s '[:space:]' ' ' <<<"$page")
check "the manual page of mainVRN.exe shows the .sol cell line" grep -q "# index original adjusted change status" <<<"$flat"
check "the manual page of mainVRN.exe has the standard input commands" grep -q "^COMMANDS" <<<"$page"
check "the manual page of mainVRN.exe has the result files" grep -q "^RESULT FILES" <<<"$page"

echo "== A run of the installed back-end on an installed example"
out=$scratch/out
mkdir -p "$out"
examples=$root/usr/share/doc/vrn/examples
for solver in b g; do # g: mainVRN.exe hands the run to the installed mainVRN-glpk beside it
    suffix=$([ $solver = b ] && echo cbc || echo glpk)
    env PATH=/usr/bin:/bin "$root/usr/bin/mainVRN.exe" "$examples/table3x3.csp" "$out" --solver $solver \
        >"$out/run_$solver.txt" 2>&1
    status=$?
    check "mainVRN.exe --solver $solver on table3x3.csp exits 0 (exit $status)" test $status -eq 0
    check "table3x3_$suffix.log written" test -s "$out/table3x3_$suffix.log"
    check "table3x3_$suffix.sol holds the protected table of objective 20" \
        grep -qx '# objective: 20' "$out/table3x3_$suffix.sol"
done
"$root/usr/bin/vrn-gen" 2d 4 4 --seed 3 --out "$out/generated.csp"
protect_generated() { "$root/usr/bin/mainVRN.exe" "$out/generated.csp" "$out" --solver b >"$out/run_gen.txt" 2>&1; }
check "the installed vrn-gen writes a table that the installed back-end protects" protect_generated

echo "== The installed front-end and its back-end"
found=$("$probe" "$root/usr/bin/vrn")
check "vrn finds the back-end beside itself ($found)" test "$found" = "$root/usr/bin/mainVRN.exe"

# The menu entry's command, with the unpacked programs first on PATH, under a private X server:
# the main window must appear, as it does from the build folder.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
window_check=$scratch/window_check.sh
cat >"$window_check" <<'EOF'
#!/usr/bin/env bash
"$@" &
pid=$!
for _ in $(seq 1 100); do
    if xwininfo -root -tree 2>/dev/null | grep -q '"VRN - Tessera Statistical Software"'; then
        kill "$pid"
        wait "$pid" 2>/dev/null
        exit 0
    fi
    kill -0 "$pid" 2>/dev/null || exit 1
    sleep 0.2
done
kill "$pid"
exit 1
EOF
chmod +x "$window_check"
check "the menu entry's command '$exec_line' opens the main window" \
    env PATH="$root/usr/bin:$PATH" NO_AT_BRIDGE=1 xvfb-run -a "$window_check" "$exec_line"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian.txt" 2>&1
status=$?
cat "$scratch/lintian.txt"
check "lintian reports no error (exit $status)" test $status -eq 0

echo "== $failures failed"
[ $failures -eq 0 ]
