#pragma once
// The normalizer's envelope: one delay line per channel and the straight-line
// level that reaches each peak as it leaves the line. Internal to zel_core.
class volume_envelope {
public:
    static constexpr double max_gain = 25.0;

    volume_envelope() = default;
    ~volume_envelope() { release(); }
    volume_envelope(const volume_envelope&) = delete;
    volume_envelope& operator=(const volume_envelope&) = delete;

    // Delay lines for channels x length frames, cleared; false when memory
    // runs out (no lines then).
    bool make(int channels, int length);
    void release();
    bool ready() const { return lines_ != nullptr; }

    // Zeroes the lines and clears the envelope: level, slope and peak 0,
    // positions 0, remaining = length.
    void clear();

    // Runs frames through the line in place: work holds one array per
    // channel, channel c at work + c * stride, values at full scale 1.0.
    // Each value is replaced by the delayed one times the gain.
    void run(double* work, int stride, int frames);
    // Of n frames just run, how many belong to the initial delay and are
    // dropped; counts them off.
    int swallow(int n);

    void set_exponent(double exponent) { exponent_ = exponent; }
    int channels() const { return channels_; }
    int length() const { return length_; }
    int remaining() const { return remaining_; }
    // Frames of real audio in the line.
    int held() const { return length_ - remaining_; }

private:
    // Looks for the next target after a peak left: the slot whose line from
    // the present level rises most steeply (the later slot on a tie).
    void retarget();

    int channels_ = 0;
    int length_ = 0;
    double* lines_ = nullptr;  // slot-major: lines_[slot * channels_ + c]
    double* peaks_ = nullptr;  // per slot, the largest magnitude of its frame
    int position_ = 0;
    double level_ = 0.0;
    double slope_ = 0.0;
    double peak_level_ = 0.0;
    int peak_position_ = 0;
    int remaining_ = 0;
    double exponent_ = 1.0;
};
