#!/usr/bin/env python3
"""Audio engine benchmarks against FFmpeg's own tools, in the same run.

1. Offline: a 5-minute 44.1 kHz MP3 through ten EQ bands and the four
   effects (orvelin-audio render) against ffmpeg with ten equalizer filters.
2. Real time: playing through SDL's dummy driver without effects, against
   ffplay on the same driver.
CPU time is user + system of the child process, the best of a few runs.
"""
import argparse
import os
import resource
import subprocess
import sys
import tempfile

CENTRES = [80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 16000]
GAINS = [4, 3, 2, 0, -1, 2, 3, 4, 5, 6]
MINUTES = 5


def child_cpu(cmd, env=None):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(cmd, check=True, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def best(cmd, runs, env=None):
    return min(child_cpu(cmd, env) for _ in range(runs))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--play", required=True)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--play-seconds", type=float, default=10)
    args = ap.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        mp3 = os.path.join(tmp, "bench.mp3")
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                        f"anoisesrc=d={MINUTES * 60}:c=pink:a=0.3:r=44100", "-f", "lavfi", "-i",
                        f"sine=f=440:d={MINUTES * 60}:r=44100", "-filter_complex", "amix=inputs=2",
                        "-ac", "2", "-c:a", "libmp3lame", "-b:a", "192k", mp3], check=True)
        seconds = MINUTES * 60.0

        ours = best([args.tool, "render", mp3, "-", "--eq", ",".join(map(str, GAINS)),
                     "--fx", "chorus,echo,flanger,reverb"], args.runs)
        eq = ",".join(f"equalizer=f={f}:t=o:w={5 / 12:.4f}:g={g}" for f, g in zip(CENTRES, GAINS))
        peer = best(["ffmpeg", "-nostdin", "-v", "error", "-threads", "1", "-i", mp3, "-af", eq,
                     "-c:a", "pcm_f32le", "-f", "null", "-"], args.runs)
        print(f"offline, {MINUTES} min MP3, 10 EQ bands + chorus, echo, flanger, reverb")
        print(f"  orvelin-audio render  cpu {ours:8.3f} s   {seconds / ours:8.1f} x real time")
        print(f"  ffmpeg 10 equalizers  cpu {peer:8.3f} s   {seconds / peer:8.1f} x real time")
        print(f"  ratio ffmpeg/orvelin  {peer / ours:.2f}  (goal >= 1, and >= 200 x real time)")

        env = dict(os.environ, SDL_AUDIODRIVER="dummy")
        n = args.play_seconds
        out = subprocess.run([args.play, mp3, str(n)], check=True, env=env,
                             stdout=subprocess.PIPE, text=True).stdout.split()
        used, elapsed, played = map(float, out)
        peer_play = child_cpu(["ffplay", "-nodisp", "-autoexit", "-loglevel", "error", "-t", str(n), mp3], env)
        print(f"real time through SDL's dummy driver, {n:.0f} s, no effects")
        print(f"  orvelin engine  cpu {used:7.3f} s over {elapsed:.1f} s wall ({played:.1f} s played): "
              f"{100 * used / elapsed:5.2f} % of one core  (goal < 2 %)")
        print(f"  ffplay          cpu {peer_play:7.3f} s: {100 * peer_play / n:5.2f} % of one core "
              f"(includes its start-up)")
        print(f"  ratio ffplay/orvelin  {peer_play / max(used, 1e-6):.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
