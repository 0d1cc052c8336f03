#pragma once
// zel_output.dll: the audio output component behind `output_manager` and
// `output` (core/output.h).
//
// Output types (the first argument of output_manager::select and devices):
//   0 wave-out   the Windows wave-out API. Devices are numbered as the
//                player numbers sound devices: by their place in DirectSound's
//                enumeration, whose entry 0 is the default device (devices()
//                gives those descriptions). Index 0, and an index outside the
//                list, -1 included, plays on the system's default device
//                (WAVE_MAPPER); index i plays on the wave-out device of the
//                same name (wave-out names are cut to 31 characters), else
//                on wave-out device i - 1. current() gives null when the
//                system has no wave-out device at all.
//                Volume and mute are applied to the samples as they go to the
//                driver, which holds about 300 ms; the rest of the buffer
//                waits in the output.
//   1 WAV file   writes every byte it is given to a WAV file, unscaled. The
//                path is the environment variable ZEL_OUTPUT_WAV (read by each
//                current() and devices() call), or "%TEMP%\zel_output.wav".
//                devices(1) lists that path as its one device; the device
//                index is not used. The first file of a path in the process
//                is the path itself, later ones (another output object, or a
//                change of format on one output) insert "-2", "-3", ...
//                before the extension. The header is made complete at every
//                finish_track and when the output is released. The output
//                is paced like a device of set_buffer_ms by a clock running
//                at ZEL_OUTPUT_WAV_SPEED times real time (default 1; 0 takes
//                and "plays" everything at once).
//   2 capture    for tests: a simulated device buffer of set_buffer_ms on a
//                clock that the test steers, recording every call and the
//                PCM of each track; see capture_control.h. Device names are
//                "Capture 1" and "Capture 2" unless a test sets others; the
//                index is only recorded.
// Any other type acts as type 0.
// ZEL_OUTPUT_NO_SOUND_DEVICE=1 in the environment (a machine without a sound
// card) makes type 0 play into one WAV file at the path of type 1 ("{device}"
// in it replaced by the selected device index): the
// timeline of what the device would play (timeline_output.h: 16-bit stereo
// at 44100 Hz, the outputs that play at once mixed, each at its volume,
// silence where none plays), paced by ZEL_OUTPUT_WAV_SPEED. With
// ZEL_OUTPUT_NO_SOUND_DEVICE=files, or an unpaced speed of 0, each output
// writes a file of type 1 instead. The device list of type 0 stays what the
// system lists.
//
// set_buffer_ms: the buffer of outputs made afterwards (not of live ones);
// values of 0 or less mean the default of 3000 ms; others are limited to
// 10..60000 ms.
//
// Listeners (add_listener): slot 1 is called with (selected type, selected
// device) on every select, and when the device list of the selected type
// changes: the wave-out list is polled every 2 s by a timer of the thread that
// added the first listener (the user-interface thread); a capture list change
// is reported at once. Slot 0 is never called. Listeners are called outside
// the component's locks, on the thread that caused the change.
//
// Output semantics, for all types:
//   write       takes what fits in the buffer (whole frames), 0 when full,
//               -1 on a device error or a format the type cannot carry.
//   pause       true stops playing (the buffer keeps its samples); false goes
//               on. refresh() does nothing more.
//   seek        drops every sample buffered and not yet played, so that the
//               target is heard at once; the fade length is not used (the
//               playback thread fades the new samples in).
//   finish_track marks the boundary between two tracks; the fade length is
//               recorded by the capture only. The samples on both sides play
//               without a gap.
//   is_finished true when every sample written has been played (or dropped
//               by a seek); true before any write.
//   release     stops at once; whatever is still buffered is not played.

enum output_type : int {
    output_type_waveout = 0,
    output_type_wav_file = 1,
    output_type_capture = 2,
};

// Default and limits of the buffer length.
const int output_default_buffer_ms = 3000;
const int output_min_buffer_ms = 10;
const int output_max_buffer_ms = 60000;
