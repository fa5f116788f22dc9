#!/usr/bin/env bash
# Checks the built module as a file: the PE format of its tree, its file name,
# the plain names of its export table and its resources.
# Usage: check_module_binary.sh MODULE TRIPLET   (TRIPLET: i686-w64-mingw32, ...)
set -uo pipefail
module=$1 triplet=$2
failures=0
check() {  # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok    $1"; else echo "FAIL  $1"; failures=$((failures + 1)); fi
}

case $triplet in
    i686-*)   format='file format pei-i386' ;;
    x86_64-*) format='file format pei-x86-64' ;;
    *) echo "unknown triplet $triplet"; exit 2 ;;
esac
check "file name is TestTAVO02.test" test "$(basename "$module")" = TestTAVO02.test
check "$format" grep -q "$format" <<<"$("$triplet-objdump" -f "$module")"

exports=$("$triplet-objdump" -p "$module" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
          | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p')
plain=$(grep -v '^_Z' <<<"$exports" | sort | tr '\n' ' ')
check "plain exports are exactly _GetTestInstance _GetTestInstanceID (found: $plain)" \
      test "$plain" = "_GetTestInstance _GetTestInstanceID "
for member in _ZN11CTestTAVO02C1EPv _ZN11CTestTAVO02D1Ev _ZN11CTestTAVO0213GetModuleNameEv \
              _ZN11CTestTAVO0215IsSupportedTestEPKc _ZN11CTestTAVO0221GetSupportedTestCountEv \
              _ZN11CTestTAVO0216GetSupportedTestEj _ZN11CTestTAVO0217m_szSupportedTestE; do
    check "exported class member $member" grep -qx "$member" <<<"$exports"
done

resources=$("$triplet-windres" -i "$module" -O rc 2>/dev/null)
check "icon named MAINICON" grep -q 'Name: "MAINICON"' <<<"$resources"
check "bitmap named IDB_TOOLBAR" grep -q 'Name: "IDB_TOOLBAR"' <<<"$resources"
check "version block names the file TestTAVO02.test" \
      grep -q 'VALUE "OriginalFilename", "TestTAVO02.test"' <<<"$resources"

echo "$failures failed"
[ "$failures" -eq 0 ]
