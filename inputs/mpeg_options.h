#pragma once
// The MPEG decoder options of zel_in_std. Nothing in the player changes them,
// so the MPEG input delivers 16-bit integer PCM from the single-precision
// decoder, without dither. The MPEG input and tag read them directly.
struct mpeg_decoder_options {
    int precision = 0;      // 0 single precision, else double
    int use_3dnow = 0;      // nonzero asks the decoder core for its 3DNow! routines
    int sample_format = 0;  // 0 16-bit, 1 24-bit, 2 32-bit integer PCM; else 32-bit float
    int dither_mode = 0;    // 0 none, 1 rectangular, 2 triangular, 3 shaped

    int format_tag() const { return sample_format >= 0 && sample_format <= 2 ? 1 : 3; }
    int bits() const { return sample_format == 0 ? 16 : sample_format == 1 ? 24 : 32; }
    bool float_output() const { return format_tag() == 3; }
};

// The library's one set of options: those of its input-and-tag factory
// (mpeg_factory.cpp).
mpeg_decoder_options& mpeg_options();
