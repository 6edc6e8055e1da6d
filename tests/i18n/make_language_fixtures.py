#!/usr/bin/env python3
"""Makes skin archives holding a language table of exactly 4 MiB and of one byte more,
and one without a language table. Usage: make_language_fixtures.py OUTDIR"""
import json
import os
import shutil
import subprocess
import sys

CODES = ["en-US", "zh-CN", "zh-TW", "id-ID", "tr-TR", "de-DE", "fr-FR",
         "es-ES", "pt-PT", "ja-JP", "ko-KR", "pl-PL", "nl-NL", "it-IT"]
LIMIT = 4194304

out = sys.argv[1]
shutil.rmtree(out, ignore_errors=True)
os.makedirs(out)

rows = [{"id": i, **{c: "%s text %d" % (c, i) for c in CODES}} for i in (1, 106, 1005)]
body = json.dumps(rows, ensure_ascii=False).encode("utf-8")


def pack(archive, size):
    folder = os.path.join(out, archive + ".d")
    os.makedirs(folder)
    if size is not None:
        with open(os.path.join(folder, "language.json"), "wb") as f:
            f.write(body + b" " * (size - len(body)))
    else:
        with open(os.path.join(folder, "other.txt"), "wb") as f:
            f.write(b"no table here")
    subprocess.run(["7z", "a", "-bd", "-bso0", "-t7z", "-m0=lzma2", "-ms=on",
                    os.path.join(out, archive), "."], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)


pack("exact.7z", LIMIT)
pack("over.7z", LIMIT + 1)
pack("none.7z", None)
