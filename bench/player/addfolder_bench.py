#!/usr/bin/python3
"""Adding a folder tree of small tagged files, against Audacious, in one run.

The tree: 10,000 one-second files (half MP3 with an ID3v2.3 tag, half FLAC
with a Vorbis comment), 25 artists x 8 albums x 50 tracks. Two files come
from ffmpeg; every other file is a copy with its own tag written as bytes,
so generating the tree takes seconds.

Ours: addfolder_driver adds the folder to a playlist through the main
window's folder operation (search, tag and length scan, save) with a real
engine, and then adds 10 more files to the 10,000-row playlist, reporting
how many files that second scan decoded.

Audacious: its Qt interface under Xvfb with a fresh home; the folder is
handed to the running instance, and the clock stops once its playlist holds
every file with a length and a title from the tags (read over D-Bus).
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

ARTISTS, ALBUMS, TRACKS = 25, 8, 50


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3v23(artist, title, album):
    frames = b""
    for fid, text in ((b"TPE1", artist), (b"TIT2", title), (b"TALB", album)):
        body = b"\x00" + text.encode("latin-1")
        frames += fid + struct.pack(">I", len(body)) + b"\x00\x00" + body
    return b"ID3\x03\x00\x00" + syncsafe(len(frames)) + frames


def flac_blocks(data):
    """STREAMINFO and the audio frames of a FLAC file, every other block dropped."""
    assert data[:4] == b"fLaC"
    pos, streaminfo = 4, None
    while True:
        header = data[pos]
        size = int.from_bytes(data[pos + 1:pos + 4], "big")
        if header & 0x7F == 0:
            streaminfo = data[pos + 4:pos + 4 + size]
        pos += 4 + size
        if header & 0x80:
            return streaminfo, data[pos:]


def vorbis_comment(fields):
    vendor = b"bench"
    out = struct.pack("<I", len(vendor)) + vendor + struct.pack("<I", len(fields))
    for f in fields:
        raw = f.encode("utf-8")
        out += struct.pack("<I", len(raw)) + raw
    return out


def flac_with_tags(streaminfo, frames, artist, title, album):
    comment = vorbis_comment([f"ARTIST={artist}", f"TITLE={title}", f"ALBUM={album}"])
    return (b"fLaC" + bytes([0]) + len(streaminfo).to_bytes(3, "big") + streaminfo +
            bytes([0x84]) + len(comment).to_bytes(3, "big") + comment + frames)


def ffmpeg(args):
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y"] + args, check=True)


def make_tree(root, work):
    mp3, flac = os.path.join(work, "base.mp3"), os.path.join(work, "base.flac")
    tone = ["-f", "lavfi", "-i", "sine=f=440:d=1:r=44100", "-ac", "1", "-map_metadata", "-1"]
    ffmpeg(tone + ["-c:a", "libmp3lame", "-b:a", "32k", "-id3v2_version", "0", mp3])
    ffmpeg(tone + ["-c:a", "flac", flac])
    mp3_audio = open(mp3, "rb").read()
    streaminfo, flac_frames = flac_blocks(open(flac, "rb").read())
    count = 0
    for a in range(ARTISTS):
        artist = f"Artist {a:02d}"
        for b in range(ALBUMS):
            album = f"Album {b}"
            folder = os.path.join(root, artist, album)
            os.makedirs(folder)
            for t in range(TRACKS):
                title = f"Song {a:02d}-{b}-{t:02d}"
                name = os.path.join(folder, f"{t + 1:02d} {title}")
                if t % 2 == 0:
                    data, name = id3v23(artist, title, album) + mp3_audio, name + ".mp3"
                else:
                    data, name = flac_with_tags(streaminfo, flac_frames, artist, title, album), name + ".flac"
                with open(name, "wb") as f:
                    f.write(data)
                count += 1
    return count


def extra_files(folder, base_root, n):
    """n more files in a folder of their own, copies of files of the tree."""
    os.makedirs(folder)
    src = os.path.join(base_root, "Artist 00", "Album 0")
    names = sorted(os.listdir(src))[:n]
    for i, name in enumerate(names):
        shutil.copyfile(os.path.join(src, name), os.path.join(folder, f"extra {i:02d} {name}"))


def run_ours(driver, tree, extra, home):
    out = subprocess.run([driver, tree, extra, home], check=True, capture_output=True, text=True).stdout
    figures = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return figures


# --- Audacious, run inside Xvfb and a private session bus -----------------

def peer_inner(tree, expected, timeout):
    import dbus
    env = dict(os.environ)
    proc = subprocess.Popen(["audacious", "-Q"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    bus = dbus.SessionBus()
    aud = None
    deadline = time.time() + 30
    while time.time() < deadline and aud is None:
        try:
            obj = bus.get_object("org.atheme.audacious", "/org/atheme/audacious")
            aud = dbus.Interface(obj, "org.atheme.audacious")
            aud.Length()
        except dbus.DBusException:
            aud = None
            time.sleep(0.1)
    if aud is None:
        proc.kill()
        sys.exit("audacious did not come up on the session bus")
    time.sleep(1.0)  # let the window settle before the clock starts

    def complete(i):
        # A length and the tag's title, not the file name it shows before the scan.
        pos = dbus.UInt32(i)
        return aud.SongFrames(pos) > 0 and str(aud.SongTuple(pos, "title")).startswith("Song ")

    def cpu():
        # utime + stime of the peer's process, all threads, in seconds
        fields = open(f"/proc/{proc.pid}/stat").read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    cpu0 = cpu()
    t0 = time.perf_counter()
    subprocess.run(["audacious", "-e", tree], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Entries are checked once each, in order, as they become complete, so
    # the polling costs the peer one pair of calls per entry in all.
    done = 0
    while True:
        if time.perf_counter() - t0 > timeout:
            print(f"peer_seconds=nan peer_cpu=nan peer_rows={done}")
            break
        if int(aud.Length()) >= expected:
            while done < expected and complete(done):
                done += 1
            if done == expected:
                print(f"peer_seconds={time.perf_counter() - t0:.3f} peer_cpu={cpu() - cpu0:.3f} peer_rows={done}")
                break
        time.sleep(0.05)
    try:
        aud.Quit()
    except dbus.DBusException:
        pass
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()


def run_peer(tree, expected, home, timeout):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_DATA_HOME=os.path.join(home, ".local/share"),
               QT_QPA_PLATFORM="xcb")
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    out = subprocess.run(["xvfb-run", "-a", "dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                          "--peer-inner", tree, "--expected", str(expected), "--timeout", str(timeout)],
                         env=env, check=True, capture_output=True, text=True).stdout
    return dict(line.split("=", 1) for line in out.split() if "=" in line)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--driver", help="the addfolder_driver executable")
    ap.add_argument("--keep", help="build the tree here and keep it")
    ap.add_argument("--peer-inner", help=argparse.SUPPRESS)
    ap.add_argument("--expected", type=int, default=ARTISTS * ALBUMS * TRACKS, help=argparse.SUPPRESS)
    ap.add_argument("--timeout", type=float, default=600)
    ap.add_argument("--no-peer", action="store_true")
    args = ap.parse_args()
    if args.peer_inner:
        peer_inner(args.peer_inner, args.expected, args.timeout)
        return
    if not args.driver:
        ap.error("--driver is required")

    work = args.keep or tempfile.mkdtemp(prefix="orvelin-addfolder-")
    try:
        tree, extra = os.path.join(work, "tree"), os.path.join(work, "extra")
        shutil.rmtree(tree, ignore_errors=True)
        shutil.rmtree(extra, ignore_errors=True)
        t = time.perf_counter()
        n = make_tree(tree, work)
        extra_files(extra, tree, 10)
        print(f"tree: {n} files (MP3 and FLAC, tagged) in {time.perf_counter() - t:.1f} s")

        home = os.path.join(work, "home-ours")
        shutil.rmtree(home, ignore_errors=True)
        ours = run_ours(args.driver, tree, extra, home)
        print(f"  orvelin    add folder  {float(ours['seconds']):8.2f} s  cpu {float(ours['cpu_seconds']):6.2f} s"
              f"  rows {ours['rows']}  with tag titles {ours['titled']}  with durations {ours['timed']}")
        print(f"  orvelin    10 more files to {ours['rows']} rows  {float(ours['more_seconds']):8.3f} s"
              f"  files decoded {ours['more_decoded']}  rows {ours['more_rows']}")
        print(f"  orvelin    window: longest wait for the UI thread while adding {ours['longest_ui_ms']} ms")
        if args.no_peer:
            return
        home = os.path.join(work, "home-peer")
        shutil.rmtree(home, ignore_errors=True)
        os.makedirs(home)
        peer = run_peer(tree, n, home, args.timeout)
        print(f"  audacious  add folder  {float(peer['peer_seconds']):8.2f} s  cpu {float(peer['peer_cpu']):6.2f} s"
              f"  rows {peer['peer_rows']}")
        ratio = float(peer["peer_seconds"]) / float(ours["seconds"])
        cpu_ratio = float(peer["peer_cpu"]) / float(ours["cpu_seconds"])
        print(f"  ratio audacious/orvelin  {ratio:.2f} in time (goal >= 3), {cpu_ratio:.2f} in cpu")
        print(f"  (load average at the end: {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores)")
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
