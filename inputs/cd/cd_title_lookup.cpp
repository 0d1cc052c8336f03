#include "cd_title_lookup.h"

namespace cd_title_lookup {

void ensure(const cd_disc& disc, std::vector<cd_disc_track>& titles) {
    if (!titles.empty() || disc.track_count() <= 0) return;
    table_of_contents_titles(disc, titles);
}

void table_of_contents_titles(const cd_disc& disc, std::vector<cd_disc_track>& titles) {
    for (int i = 0; i < disc.track_count(); ++i) {
        cd_disc_track t = disc.track(i);
        if (!t.is_audio()) continue;
        t.record.set_track_number(t.track_number);
        titles.push_back(t);
    }
}

}  // namespace cd_title_lookup
