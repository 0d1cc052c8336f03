#include "sim_device.h"

namespace {
const long long micro = 1000000;
}

sim_clock::sim_clock() {
    LARGE_INTEGER f;
    if (QueryPerformanceFrequency(&f) && f.QuadPart > 0) frequency_ = f.QuadPart;
    wall_base_us_ = wall_us();
}

long long sim_clock::wall_us() const {
    LARGE_INTEGER c;
    if (frequency_ <= 1 || !QueryPerformanceCounter(&c))
        return static_cast<long long>(GetTickCount()) * 1000;
    // Split to keep the product inside 64 bits.
    long long seconds = c.QuadPart / frequency_;
    long long rest = c.QuadPart % frequency_;
    return seconds * micro + rest * micro / frequency_;
}

long long sim_clock::now_us() const {
    if (manual_) return base_us_;
    double elapsed = static_cast<double>(wall_us() - wall_base_us_) * speed_;
    return base_us_ + static_cast<long long>(elapsed);
}

void sim_clock::set_auto(double speed) {
    base_us_ = now_us();
    wall_base_us_ = wall_us();
    speed_ = speed > 0.0 ? speed : 1.0;
    manual_ = false;
}

void sim_clock::set_manual() {
    base_us_ = now_us();
    manual_ = true;
}

void sim_clock::advance_us(long long us) {
    if (us > 0) base_us_ += us;
}

sim_device::sim_device(int capacity_ms, long long now_us, bool unpaced)
    : capacity_ms_(capacity_ms > 0 ? capacity_ms : 1), unpaced_(unpaced), last_us_(now_us) {}

void sim_device::run_until(long long now_us, bool stuck) {
    long long elapsed = now_us - last_us_;
    if (elapsed <= 0) return;
    last_us_ = now_us;
    if (!paused_ && !stuck) consume(elapsed);
}

void sim_device::consume(long long us) {
    while (us > 0 && !runs_.empty()) {
        run& front = runs_.front();
        long long frames_left = (front.bytes + front.bytes_per_frame - 1) / front.bytes_per_frame;
        partial_ += us * front.sample_rate;
        long long frames = partial_ / micro;
        if (frames < frames_left) {
            long long bytes = frames * front.bytes_per_frame;
            front.bytes -= bytes;
            played_ += bytes;
            partial_ -= frames * micro;
            return;
        }
        // The run ends within this time; the rest goes on to the next run.
        long long rest = partial_ - frames_left * micro;
        played_ += front.bytes;
        us = rest / front.sample_rate;
        partial_ = 0;
        runs_.pop_front();
    }
    if (runs_.empty()) partial_ = 0;
}

int sim_device::accept(const pcm_format& format, int count) {
    if (count <= 0) return 0;
    if (unpaced_) {
        written_ += count;
        played_ += count;
        return count;
    }
    int frame = format.bytes_per_frame();
    long long capacity = format.bytes_per_second() * capacity_ms_ / 1000;
    capacity -= capacity % frame;
    // The buffer is measured in time: runs of another format count by their
    // duration.
    long long used = 0;
    for (const run& r : runs_) {
        if (r.bytes_per_frame == frame && r.sample_rate == format.sample_rate) used += r.bytes;
        else used += r.bytes * format.bytes_per_second() / (static_cast<long long>(r.bytes_per_frame) * r.sample_rate);
    }
    long long room = capacity - used;
    if (room <= 0) return 0;
    long long take = count;
    if (take > room) take = room - room % frame;
    if (take <= 0) return 0;
    if (!runs_.empty() && runs_.back().bytes_per_frame == frame &&
        runs_.back().sample_rate == format.sample_rate) {
        runs_.back().bytes += take;
    } else {
        runs_.push_back(run{frame, format.sample_rate, take});
    }
    written_ += take;
    return static_cast<int>(take);
}

long long sim_device::flush() {
    long long dropped = buffered();
    dropped_ += dropped;
    runs_.clear();
    partial_ = 0;
    return dropped;
}
