#include "announcement_lines.h"
#include <climits>
#include "service_reply.h"

namespace {

// A length of "s", "m:s" or "h:m:s" (more pieces count as "h:m:s"), decimal
// numbers; no piece at all (an empty field) gives 0.
timex_span length_of(const stringx& field) {
    std::vector<stringx> pieces = split_fields(field, L":");
    double seconds = 0;
    if (pieces.size() == 1)
        seconds = pieces[0].todouble();
    else if (pieces.size() == 2)
        seconds = 60 * pieces[0].todouble() + pieces[1].todouble();
    else if (pieces.size() >= 3)
        seconds = 3600 * pieces[0].todouble() + 60 * pieces[1].todouble() + pieces[2].todouble();
    return timex_span(seconds);
}

}  // namespace

timex_span clamped_span(long long seconds) {
    if (seconds > LONG_MAX) seconds = LONG_MAX;
    if (seconds < LONG_MIN) seconds = LONG_MIN;
    return timex_span(static_cast<long>(seconds));
}

stringx announcement_address(const stringx& http_address) {
    return clean_line(http_address.replace(L"http://", L"zel2://"));
}

std::vector<stringx> clean_anne_list_lines(const std::vector<stringx>& lines) {
    std::vector<stringx> cleaned;
    for (size_t i = 0; i < lines.size(); ++i) {
        // Every line after the first begins with the line feed of the line
        // break before it, which shields its leading blanks from the trim:
        // only the first line loses blanks at its start.
        const stringx& line = lines[i];
        stringx text = clean_line(i == 0 ? line.trim() : line.rtrim());
        if (text.length() > 0) cleaned.push_back(text);
    }
    return cleaned;
}

bool anne_list_succeeded(const std::vector<stringx>& cleaned) {
    return !cleaned.empty() && cleaned.back().equals_ignore_case(stringx(L"Result=Success"));
}

bool read_anne_list_line(const stringx& line, anne_record& record) {
    std::vector<stringx> fields = split_fields(line);
    if (fields.size() != 7) return false;
    std::vector<stringx> start = split_fields(fields[1], L":");
    if (start.size() != 3) return false;
    anne_record r;
    r.code = fields[0];
    r.start_text = start[0];
    r.start = clamped_span(3600LL * start[0].toint() + 60LL * start[1].toint() + start[2].toint());
    r.length = length_of(fields[2]);
    r.flag = fields[3].toint() != 0;
    r.title = fields[4];
    r.enabled = 1;
    r.volume = fields[5].toint();
    r.url = announcement_address(fields[6]);
    record = r;
    return true;
}

bool read_anne_library_line(const stringx& line, anne_record& record) {
    std::vector<stringx> fields = split_fields(line);
    if (fields.size() != 6) return false;
    std::vector<stringx> length = split_fields(fields[4], L":");
    if (length.size() != 2) return false;
    anne_record r;
    r.category = fields[0];
    r.kind = fields[1];
    r.title = fields[2];
    r.code = fields[3];
    r.start = timex_span(0);
    r.length = timex_span(60 * length[0].todouble() + length[1].todouble());
    r.volume = 200;
    // The library does not say; an item taken from it plays unless the user
    // turns it off.
    r.enabled = 1;
    r.flag = 0;
    r.url = announcement_address(fields[5]);
    record = r;
    return true;
}

void take_user_choices(std::vector<anne_record>& into, const std::vector<anne_record>& from) {
    for (anne_record& record : into) {
        for (const anne_record& chosen : from) {
            if (!record.denotes_same(chosen)) continue;
            record.volume = chosen.volume;
            record.enabled = chosen.enabled;
            break;
        }
    }
}
