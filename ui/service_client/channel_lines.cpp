#include "channel_lines.h"
#include <climits>
#include <cmath>
#include <vector>
#include "utility.h"

namespace {

std::vector<stringx> fields_of(const stringx& line, const wchar_t* delimiter = L"^") {
    std::vector<stringx> fields;
    utility::string_tokenizer(line.wvalue(), delimiter, fields);
    return fields;
}

void set_text(wchar_t*& field, const stringx& value) { list_info::set_string(field, value.wvalue()); }

// The whole part of a decimal number; 0 when it is no number an int holds.
int whole_part(double value) {
    if (!(value > INT_MIN - 1.0 && value < INT_MAX + 1.0)) return 0;
    return static_cast<int>(value);
}

}  // namespace

bool read_channel_line(const stringx& line, channel_record& record) {
    const std::vector<stringx> f = fields_of(line);
    if (f.size() != 7) return false;
    record.id = f[0].toint();
    record.extra_text = f[1].trim();
    record.tempo = f[2].trim();
    record.title = f[3].trim();
    record.description = f[4].trim();
    record.genre = f[5].trim();
    record.purpose = f[6].trim();
    return true;
}

bool read_radio_line(const stringx& line, radio_record& record) {
    std::vector<stringx> f;
    for (const stringx& field : fields_of(line)) {
        stringx trimmed = field.trim();
        if (trimmed.length() > 0) f.push_back(trimmed);
    }
    record = radio_record();
    switch (f.size()) {
    case 2:
        record.name = f[0];
        record.address = f[1];
        return true;
    case 3:
        record.name = f[0];
        record.address = f[1];
        record.extra_text = f[2];
        return true;
    case 6:
        record.name = f[0];
        record.address = f[1];
        record.time = f[2];
        record.quality = f[3];
        record.comment = f[4];
        record.homepage = f[5];
        return true;
    case 7:
        record.name = f[0];
        record.address = f[1];
        record.time = f[2];
        record.genre = f[3];
        record.quality = f[4];
        record.comment = f[5];
        record.homepage = f[6];
        return true;
    default:
        return false;
    }
}

double track_length_seconds(const stringx& field) {
    const std::vector<stringx> pieces = fields_of(field, L"'");
    if (pieces.empty()) return 0.0;
    if (pieces.size() == 1) {
        const double seconds = pieces[0].todouble();
        return std::isfinite(seconds) ? seconds : 0.0;
    }
    return 60.0 * pieces[0].toint() + pieces[1].toint();
}

stringx track_path(const stringx& address, const timex_span& start_offset, double length, int number) {
    const long offset = start_offset.total_seconds();
    stringx path;
    if (offset > 0 && length > 0.0 && offset < length)
        path.format(L"%s|%lf|%d", address.wvalue(), offset / length, number);
    else
        path.format(L"%s|-1.0|%d", address.wvalue(), number);
    return path;
}

bool read_track_line(const stringx& line, track_record& record) {
    const std::vector<stringx> f = fields_of(line);
    if (f.size() != 10) return false;
    track_record r;
    r.bitrate = whole_part(f[0].todouble());
    r.extra_text = f[2].trim();
    r.time = track_length_seconds(f[3]);
    r.start_offset = timex_span(f[4].todouble());
    set_text(r.title, f[5].trim());
    set_text(r.artist, f[6].trim());
    const stringx address = f[7].trim().replace(L"http://", L"zel://").replace(L"\r", L"").replace(L"\n", L"");
    set_text(r.path, track_path(address, r.start_offset, r.time, f[0].toint()));
    set_text(r.album, f[8].trim());
    set_text(r.filename, f[9].trim());
    record = r;
    return true;
}
