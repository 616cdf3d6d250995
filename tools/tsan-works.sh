#!/usr/bin/env bash
# Some kernels map memory where ThreadSanitizer's runtime cannot live; find out before building.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat > "$dir/t.cpp" <<'CPP'
#include <thread>
int main() { int v = 0; std::thread t([&] { v = 1; }); t.join(); return v == 1 ? 0 : 1; }
CPP
g++ -std=c++17 -fsanitize=thread -pthread "$dir/t.cpp" -o "$dir/t" 2>/dev/null && "$dir/t" >/dev/null 2>&1
