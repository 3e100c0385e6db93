#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ file of the repository differs from what clang-format (the committed
# .clang-format) makes of it, or does not start with the license's SPDX line. Lists each file.
set -uo pipefail
cd "$(dirname "$0")/.."
spdx='// SPDX-License-Identifier: GPL-3.0-or-later'
command -v clang-format >/dev/null || { echo "no clang-format (apt-get install clang-format)"; exit 1; }

mapfile -t files < <(git ls-files '*.cpp' '*.h')
failed=0
unformatted=()
for f in "${files[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done
if [[ ${#unformatted[@]} -gt 0 ]]; then
    echo "clang-format would change:"
    printf '    %s\n' "${unformatted[@]}"
    echo "(clang-format -i <file> formats it)"
    failed=1
fi
unlicensed=()
for f in "${files[@]}"; do
    [[ "$(head -n 1 "$f")" == "$spdx" ]] || unlicensed+=("$f")
done
if [[ ${#unlicensed[@]} -gt 0 ]]; then
    echo "the first line is not \"$spdx\":"
    printf '    %s\n' "${unlicensed[@]}"
    failed=1
fi
[[ $failed -eq 0 ]] && echo "check-format: ${#files[@]} C++ files formatted and licensed"
exit $failed
