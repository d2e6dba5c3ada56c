#!/usr/bin/env bash
# Builds Kovra.exe and writes the release package build/dist/Kovra-<version>-win64.zip: the
# program, 使用说明.txt (the trader's guide) and a sample 股票代码表.ini. The same commit gives the
# same bytes: entries in a fixed order, dated at the commit, with fixed attributes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target Kovra
version=$(cmake -P "$root/cmake/KovraVersion.cmake")
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
mkdir -p "$build/dist"
zip="$build/dist/Kovra-$version-win64.zip"
python3 - "$zip" "$stamp" "$build/bin/Kovra.exe" "$root/resources/package" <<'PY'
import sys, time, zipfile
out, stamp, exe, texts = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]

def text(name, encoding, bom=b""):
    # Windows line ends: Notepad of every version shows them.
    with open(f"{texts}/{name}", encoding="utf-8") as f:
        return bom + f.read().replace("\r\n", "\n").replace("\n", "\r\n").encode(encoding)

with open(exe, "rb") as f:
    program = f.read()
entries = [
    ("Kovra.exe", program),
    # UTF-8 with a byte-order mark reads right whatever the system's code page.
    ("使用说明.txt", text("guide.txt", "utf-8", b"\xef\xbb\xbf")),
    # The profile functions read the code table in the system's code page: GBK on a Chinese
    # Windows, as the program expects.
    ("股票代码表.ini", text("codetable.txt", "gbk")),
]
date = time.gmtime(max(stamp, 315532800))[:6]  # zip dates start in 1980
with zipfile.ZipFile(out + ".tmp", "w") as z:
    for name, data in entries:
        info = zipfile.ZipInfo(name, date)
        info.create_system = 0  # MS-DOS attributes, as Windows writes them
        info.external_attr = 0x20  # archive
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, data, compresslevel=9)
PY
mv "$zip.tmp" "$zip"
echo "$zip"
