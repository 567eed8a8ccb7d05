#!/usr/bin/env bash
# Every C++ source follows the project's style (.clang-format); lists the files that do not and how
# to mend them. Usage: tools/check-format.sh [CLANG_FORMAT]
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
format=${1:-clang-format}
cd "$top" || exit 2
mapfile -t sources < <(find app audio bench controls dialogs editor engine fuzz platform resources settings tests tools \
  -name '*.cpp' -o -name '*.h' | sort)
off=()
for file in "${sources[@]}"; do
  "$format" --style=file "$file" | cmp -s - "$file" || off+=("$file")
done
if [ ${#off[@]} -gt 0 ]; then
  echo "not in the project's style (mend with: clang-format -i FILE):"
  printf '  %s\n' "${off[@]}"
  exit 1
fi
echo "ok: ${#sources[@]} sources in the project's style"
