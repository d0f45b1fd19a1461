#!/usr/bin/env bash
# scripts/check-sizes on a file whose functions have known lengths: braces in
# strings, comments and initialiser lists do not count, a constructor with an
# initialiser list and a lambda outside any function are functions, and a
# lambda inside a function counts with it.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

body() { for ((i = 0; i < $1; ++i)); do echo "    x += $i;"; done; }
{
  echo 'namespace a::b {'
  echo 'const int table[] = {1, 2, 3};'
  echo 'struct S {'
  echo '    int f() const { return 1; }'
  echo '    S() : n(2), m{1} {'                       # line 5: 81 lines
  body 79
  echo '    }'
  echo '    int m, n;'
  echo '};'
  echo 'int longOne(int x)'                           # its brace on line 89: 81 lines
  echo '{'
  echo '    const char* s = "}}}{";   // }'
  echo '    /* { */ auto l = [&] {'
  body 75
  echo '    };'
  echo '    return x;'
  echo '}'
  echo 'const auto registered = make("x", [](int x) -> int {'   # line 170: 81 lines
  body 79
  echo '});'
  echo 'int exact(int x)'                             # 80 lines: allowed
  echo '{'
  body 78
  echo '}'
  echo 'const char* raw = R"(} { })";'
  echo '} // namespace a::b'
} >"$tmp/sample.cpp"

expected="sample.cpp:5: S: 81 lines (at most 80)
sample.cpp:89: longOne: 81 lines (at most 80)
sample.cpp:170: make: 81 lines (at most 80)"
actual="$(cd "$tmp" && "$root/scripts/check-sizes" sample.cpp 2>/dev/null | sed 's|^.*/||')" && status=0 || status=$?
[ "$status" -eq 1 ] || { echo "exit status $status, not 1"; exit 1; }
[ "$actual" = "$expected" ] || { printf 'expected:\n%s\ngot:\n%s\n' "$expected" "$actual"; exit 1; }
# The file's own length.
actual="$(cd "$tmp" && "$root/scripts/check-sizes" --files 100 --functions 100 sample.cpp 2>/dev/null)" && status=0 || status=$?
[ "$status" -eq 1 ] && [ "$actual" = "sample.cpp: $(wc -l <"$tmp/sample.cpp") lines (at most 100)" ] || { echo "file length: $actual"; exit 1; }
echo ok
