#!/usr/bin/env python3
"""The running player while a track plays, against Audacious in the same run.

Both play the same generated MP3 through SDL's dummy driver: ours with Qt's
offscreen platform, Audacious (its Qt interface) on a private Xvfb display
with its SDL output. After a warm-up, the CPU time (user + system) and the
resident memory of each process are sampled from /proc over the same window.
Goals: at most half of Audacious's CPU, at most 60 % of its resident memory.
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))


def sample(pid, warmup, seconds):
    """CPU share of one core and the mean and peak RSS over the window."""
    time.sleep(warmup)
    c0, t0 = cpu_seconds(pid), time.monotonic()
    rss = []
    while time.monotonic() - t0 < seconds:
        rss.append(rss_kib(pid))
        time.sleep(0.5)
    c1, t1 = cpu_seconds(pid), time.monotonic()
    return {"cpu": (c1 - c0) / (t1 - t0), "rss": sum(rss) / len(rss), "rss_max": max(rss)}


def stop(proc):
    proc.send_signal(signal.SIGTERM)
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def private_env(root, name):
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", XDG_CONFIG_HOME=os.path.join(root, name, "config"),
               XDG_RUNTIME_DIR=os.path.join(root, name, "run"))
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    return env


def run_orvelin(exe, track, root, warmup, seconds):
    env = private_env(root, "orvelin")
    env["QT_QPA_PLATFORM"] = "offscreen"
    settings = subprocess.run([exe, "--settings-path"], env=env, check=True, capture_output=True,
                              text=True).stdout.strip()
    data = os.path.dirname(os.path.dirname(settings))
    os.makedirs(os.path.join(data, "Playlist"))
    with open(os.path.join(data, "Playlist", "default.m3u"), "w", encoding="utf-8") as f:
        f.write(f"#EXTM3U\n#EXTINF:600,bench\n{track}\n")
    # The first-run options that matter while a track plays: equalizer on,
    # task-bar progress and covers shown, repeat so that it never stops.
    with open(settings, "w", encoding="utf-8") as f:
        f.write("[Option]\r\nPlaylist=default\r\nSong=0\r\nchEqualizer=1\r\nProgressBox=1\r\nShowCoverArts=1\r\n"
                "RadioButton_Player=1\r\nRepeatSong=1\r\nVolume=100\r\n")
    proc = subprocess.Popen([exe, "--play"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        result = sample(proc.pid, warmup, seconds)
    finally:
        stop(proc)
    # The closing player saved its history: one entry means the row started.
    with open(os.path.join(data, "Config", "song.ini"), "rb") as f:
        if f.read().decode("utf-16").split() != ["1"]:
            sys.exit("orvelin did not start the track")
    return result


def audtool(env, *args):
    return subprocess.run(["audtool", *args], env=env, capture_output=True, text=True, timeout=10).stdout.strip()


def use_sdl_output(registry):
    """Enables only the SDL output plugin in Audacious's plugin registry."""
    out, section = [], None
    for line in open(registry).read().split("\n"):
        head = line.split(" ", 1)[0]
        if head in ("output", "general", "effect", "input", "transport", "playlist", "vis"):
            section = line if head == "output" else None
        if section and line.startswith("enabled "):
            line = "enabled 1" if section.endswith("/sdlout.so") else "enabled 0"
        out.append(line)
    open(registry, "w").write("\n".join(out))


def run_audacious(track, root, warmup, seconds):
    env = private_env(root, "audacious")
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    bus = None
    try:
        env["DISPLAY"] = ":" + xvfb.stdout.readline().strip()
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()

        # A first start writes the plugin registry; the second plays through SDL.
        first = subprocess.Popen(["audacious", "-Q"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        registry = os.path.join(env["XDG_CONFIG_HOME"], "audacious", "plugin-registry")
        for _ in range(100):
            if os.path.exists(registry):
                break
            time.sleep(0.1)
        time.sleep(1)
        stop(first)
        use_sdl_output(registry)

        proc = subprocess.Popen(["audacious", "-Q", "-p", track], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            time.sleep(2)
            if audtool(env, "playback-status") != "playing":
                sys.exit("audacious is not playing")
            start = audtool(env, "current-song-output-length-seconds")
            result = sample(proc.pid, max(0.0, warmup - 2), seconds)
            moved = int(audtool(env, "current-song-output-length-seconds") or 0) - int(start or 0)
            if moved < seconds / 2:
                sys.exit(f"audacious played only {moved} s in {seconds} s")
        finally:
            stop(proc)
        return result
    finally:
        if bus:
            stop(bus)
        stop(xvfb)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--orvelin", required=True)
    ap.add_argument("--seconds", type=float, default=20)
    ap.add_argument("--warmup", type=float, default=4)
    args = ap.parse_args()
    for tool in ("ffmpeg", "audacious", "audtool", "Xvfb", "dbus-daemon"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is needed (scripts/bootstrap.sh installs it)")

    with tempfile.TemporaryDirectory() as root:
        track = os.path.join(root, "bench.mp3")
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                        "anoisesrc=d=600:c=pink:a=0.2:r=44100", "-f", "lavfi", "-i", "sine=f=440:d=600:r=44100",
                        "-filter_complex", "amix=inputs=2", "-ac", "2", "-c:a", "libmp3lame", "-b:a", "192k", track],
                       check=True)
        ours = run_orvelin(os.path.abspath(args.orvelin), track, root, args.warmup, args.seconds)
        peer = run_audacious(track, root, args.warmup, args.seconds)

    print(f"playing a 192 kbps MP3 through SDL's dummy driver, sampled over {args.seconds:.0f} s")
    for name, r in (("orvelin", ours), ("audacious -Q", peer)):
        print(f"  {name:13s} cpu {100 * r['cpu']:6.2f} % of one core   rss {r['rss'] / 1024:7.1f} MiB "
              f"(peak {r['rss_max'] / 1024:.1f})")
    cpu_ratio = ours["cpu"] / max(peer["cpu"], 1e-9)
    rss_ratio = ours["rss"] / peer["rss"]
    print(f"  ratio orvelin/audacious  cpu {cpu_ratio:.2f} (goal <= 0.50)   rss {rss_ratio:.2f} (goal <= 0.60)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
