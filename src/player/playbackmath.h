// The arithmetic of the transport: clock texts, the seek bar's position,
// the technical labels and the track bars' click and wheel rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace player {

// Whole seconds as "hh:mm:ss"; the hours wrap after 24, as a time of day does.
// Negative values count as 0.
std::string ClockText(double seconds);

// Position of a bar running 0..max for posMs of lenMs (integer division);
// 0 when the length is 0.
int SeekBarPosition(int64_t posMs, int64_t lenMs, int max);

// Average bit rate in kbps from a file's size and play time, rounded; 0 when
// either is unknown.
int AverageKbps(int64_t fileBytes, double seconds);
// A sample rate in kHz in its shortest form: 44100 gives "44.1", 48000 "48".
std::string SampleRateText(double hz);

// Where a click at x puts a bar 0..max that keeps 14 pixels of margin at
// each end; nullopt when the bar is too narrow to have a track.
std::optional<int> TrackBarClickPosition(int max, int width, int x);
// The same for a bar without margins (balance); nullopt for a zero width.
std::optional<int> TrackBarClickPositionNoMargin(int min, int max, int width, int x);
// One step per wheel notch (120), up increases.
int TrackBarWheelPosition(int position, int wheelDelta);

}  // namespace player
