#pragma once
// The paranoia ripping mode's use of libcdparanoia: a paranoia object over a
// reader that calls the extractor's paranoia_read_callback, limited to one
// sector range.
class cd_extractor;
class cd_paranoia_session;

// A session over the sectors first_sector .. end_sector - 1 with the
// library mode that the paranoia level selects; null when the library
// refuses.
cd_paranoia_session* cd_paranoia_open(cd_extractor* extractor, int chunk_sectors, long first_sector,
                                      long end_sector, int level);

// The next 2352-byte sector (at most 20 retries; skipped is set when the
// library had to skip a sector); null when none can be delivered.
const unsigned char* cd_paranoia_read(cd_paranoia_session* session, bool& skipped);

void cd_paranoia_close(cd_paranoia_session* session);

// The library mode of a paranoia level: 0 -> 4, 1 -> 222, 2 -> 199, else 223.
int cd_paranoia_mode(int level);
