// What may stand before the MPEG audio of a local file: an ID3v2 tag, or the
// chunks of a RIFF file that wraps the audio.
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "mpeg_parser.h"
#include "stream.h"
#include "utility.h"

int mpeg_id3v2_size(stream* source) {
    if (!source || !source->is_seekable()) return 0;
    const int64_t home = source->tell();
    unsigned char h[10];
    int size = 0;
    if (source->seek(0, 0) == 0 && source->read(h, 10) == 10 && h[0] == 'I' && h[1] == 'D' && h[2] == '3' &&
        (h[5] & 0x0F) == 0 && h[6] < 0x80 && h[7] < 0x80 && h[8] < 0x80 && h[9] < 0x80) {
        size = (h[6] << 21) + (h[7] << 14) + (h[8] << 7) + h[9] + 10;
        if (h[5] & 0x10) size += 10;  // footer
    }
    source->seek(home, 0);
    return size;
}

namespace {
const FOURCC riff_mp3 = mmioFOURCC('R', 'M', 'P', '3');
const FOURCC riff_wave = mmioFOURCC('W', 'A', 'V', 'E');
const FOURCC chunk_fmt = mmioFOURCC('f', 'm', 't', ' ');
const FOURCC chunk_data = mmioFOURCC('d', 'a', 't', 'a');
const int wave_format_mpeg_layer3 = 85;

// The data offset of the open RIFF file, 0 when it does not carry MPEG audio.
int64_t riff_offset(HMMIO file) {
    MMCKINFO riff = {};
    riff.fccType = riff_mp3;
    bool wave = false;
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
        if (mmioSeek(file, 0, SEEK_SET) != 0) return 0;
        riff = MMCKINFO();
        riff.fccType = riff_wave;
        if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return 0;
        wave = true;
    }
    if (wave) {
        MMCKINFO fmt = {};
        fmt.ckid = chunk_fmt;
        if (mmioDescend(file, &fmt, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return 0;
        unsigned char tag[2];
        if (fmt.cksize < sizeof tag || mmioRead(file, reinterpret_cast<HPSTR>(tag), sizeof tag) != sizeof tag)
            return 0;
        if ((tag[0] | tag[1] << 8) != wave_format_mpeg_layer3) return 0;
        if (mmioAscend(file, &fmt, 0) != MMSYSERR_NOERROR) return 0;
    }
    MMCKINFO data = {};
    data.ckid = chunk_data;
    if (mmioDescend(file, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || data.cksize == 0) return 0;
    return data.dwDataOffset;
}
}  // namespace

int64_t mpeg_riff_data_offset(stream* source) {
    if (!source || !source->is_seekable()) return 0;
    // The file is the last "|" piece of the path, as the file stream opened it.
    std::vector<stringx> pieces;
    utility::string_tokenizer(source->path, L"|", pieces);
    if (pieces.empty() || pieces.back().length() == 0) return 0;
    HMMIO file = mmioOpenW(pieces.back(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
    if (!file) return 0;
    const int64_t offset = riff_offset(file);
    mmioClose(file, 0);
    return offset;
}
