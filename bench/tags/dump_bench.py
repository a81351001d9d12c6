#!/usr/bin/python3
"""orvelin-tags dump against a TagLib reader doing the same work.

Generates a corpus of small MP3 (ID3v2 + ID3v1, some with APEv2), FLAC and
APE-tagged WavPack files, a quarter of them with a picture, into a temporary
folder; checks that both tools read the same artists and titles; then runs
each over the whole corpus several times, alternating, and prints the median
CPU time (user + system) of each and their ratio.

Usage: bench/tags/dump_bench.py BUILD_DIR [FILES] [REPEATS]
(BUILD_DIR is a `cmake --preset bench` build, e.g. build/bench.)
"""
import json
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile

from mutagen.apev2 import APEv2, APEValue, BINARY
from mutagen.flac import FLAC, Picture
from mutagen.id3 import APIC, COMM, ID3, TALB, TCON, TIT2, TPE1, TRCK, TXXX, TYER

GENRES = ["Rock", "Jazz", "Pop", "Blues", "Classical"]


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", *args], check=True)


def make_bases(folder):
    tone = ["-f", "lavfi", "-i", "sine=frequency=440:duration=0.5"]
    bases = {}
    for ext, codec in (("mp3", ["-c:a", "libmp3lame", "-b:a", "96k"]), ("flac", ["-c:a", "flac"]),
                       ("wv", ["-c:a", "wavpack"])):
        path = os.path.join(folder, "base." + ext)
        ffmpeg(*tone, *codec, "-map_metadata", "-1", "-write_id3v2", "0", path) if ext == "mp3" else \
            ffmpeg(*tone, *codec, "-map_metadata", "-1", path)
        bases[ext] = path
    cover = os.path.join(folder, "cover.jpg")
    ffmpeg("-f", "lavfi", "-i", "testsrc=size=200x200", "-frames:v", "1", cover)
    with open(cover, "rb") as f:
        bases["cover"] = f.read()
    return bases


def tag_file(path, kind, i, cover):
    title, artist, album = f"Title {i}", f"Artist {i % 97}", f"Album {i % 31}"
    with_picture = i % 4 == 0
    if kind == "mp3":
        tags = ID3()
        tags.add(TIT2(encoding=1, text=title))
        tags.add(TPE1(encoding=1, text=artist))
        tags.add(TALB(encoding=1, text=album))
        tags.add(TYER(encoding=0, text=str(1970 + i % 50)))
        tags.add(TCON(encoding=0, text=GENRES[i % len(GENRES)]))
        tags.add(COMM(encoding=1, lang="eng", desc="", text=f"Comment {i}"))
        tags.add(TRCK(encoding=0, text=f"{i % 20 + 1}/20"))
        tags.add(TXXX(encoding=1, desc="REPLAYGAIN_TRACK_GAIN", text="-6.50 dB"))
        if with_picture:
            tags.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="front", data=cover))
        tags.save(path, v1=2, v2_version=3 if i % 2 else 4)
        if i % 5 == 0:
            ape = APEv2()
            ape["Title"], ape["Artist"], ape["Catalog"] = title, artist, f"CAT-{i}"
            ape.save(path)
    elif kind == "flac":
        f = FLAC(path)
        f["TITLE"], f["ARTIST"], f["ALBUM"] = title, artist, album
        f["DATE"], f["GENRE"], f["TRACKNUMBER"] = str(1970 + i % 50), GENRES[i % len(GENRES)], str(i % 20 + 1)
        f["COMMENT"], f["REPLAYGAIN_TRACK_GAIN"] = f"Comment {i}", "-6.50 dB"
        if with_picture:
            p = Picture()
            p.type, p.mime, p.desc, p.data, p.width, p.height, p.depth = 3, "image/jpeg", "front", cover, 200, 200, 24
            f.add_picture(p)
        f.save()
    else:
        ape = APEv2()
        ape["Title"], ape["Artist"], ape["Album"] = title, artist, album
        ape["Year"], ape["Genre"], ape["Track"] = str(1970 + i % 50), GENRES[i % len(GENRES)], str(i % 20 + 1)
        ape["Comment"] = f"Comment {i}"
        if with_picture:
            ape["Cover Art (Front)"] = APEValue(b"cover.jpg\0" + cover, BINARY)
        ape.save(path)


def make_corpus(folder, count):
    bases = make_bases(folder)
    files = []
    for i in range(count):
        kind = ("mp3", "flac", "wv")[i % 3]
        path = os.path.join(folder, f"{i:05d}.{kind}")
        shutil.copyfile(bases[kind], path)
        tag_file(path, kind, i, bases["cover"])
        files.append(path)
    return files


def run(command):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(command, check=False, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def first_values(lines, names):
    """Per file, the first value of each name (ignoring case)."""
    out = {}
    for line in lines:
        d = json.loads(line)
        values = {}
        for e in d["entries"]:
            key = e["name"].upper()
            if key in names and key not in values:
                values[key] = e["value"]
        out[d["file"]] = (values, len(d["pictures"]))
    return out


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 3000
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    ours = [os.path.join(build, "src/tags/cli/orvelin-tags"), "dump"]
    theirs = [os.path.join(build, "bench/tags/taglib-dump")]
    with tempfile.TemporaryDirectory(prefix="orvelin-tags-bench-") as folder:
        files = make_corpus(folder, count)
        size = sum(os.path.getsize(f) for f in files)
        print(f"corpus: {len(files)} files, {size / 1e6:.1f} MB")

        # Both must read the same thing, or the times mean nothing.
        names = {"ARTIST", "TITLE"}
        a = first_values(subprocess.run(ours + files, capture_output=True, text=True).stdout.splitlines(), names)
        b = first_values(subprocess.run(theirs + files, capture_output=True, text=True).stdout.splitlines(), names)
        if len(a) != len(files) or len(b) != len(files):
            sys.exit(f"a tool did not report every file: {len(a)} and {len(b)} of {len(files)}")
        differ = [f for f in files if a[f] != b[f]]
        if differ:
            sys.exit(f"{len(differ)} files read differently, e.g. {differ[0]}: {a[differ[0]]} / {b[differ[0]]}")

        times = {"orvelin-tags dump": [], "taglib-dump": []}
        for _ in range(repeats):
            times["orvelin-tags dump"].append(run(ours + files))
            times["taglib-dump"].append(run(theirs + files))
    median = {k: statistics.median(v) for k, v in times.items()}
    for k, v in median.items():
        print(f"{k:18} {v:7.3f} s CPU (median of {repeats})")
    print(f"ratio (ours / TagLib): {median['orvelin-tags dump'] / median['taglib-dump']:.2f}")


if __name__ == "__main__":
    main()
