// The CDDB client against a scripted loopback server in the test program:
// the requests byte for byte, the replies of each command, and servers that
// split, drip, stall, close early or never stop sending.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "cddb_client.h"
#include "scripted_server.h"
#include "utf.h"

namespace {

// The example disc: tracks at sectors 0, 15000 and 30000, lead-out at 45000.
std::vector<msf_time> example_toc() {
    std::vector<msf_time> toc;
    for (int sector : {0, 15000, 30000, 45000}) {
        const int a = sector + 150;
        toc.push_back({a / 4500, (a / 75) % 60, a % 75});
    }
    return toc;
}

cddb_site site_of(const scripted_server& server) {
    cddb_site site;
    site.host = L"127.0.0.1";
    site.port = server.port();
    return site;
}

std::string listing(const std::string& status, const std::vector<std::string>& lines) {
    std::string text = status + "\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text + ".\r\n";
}

const char* const record_text =
    "210 rock 0c025803 CD database entry follows\r\n"
    "# xmcd\r\n# Track frame offsets:\r\n#  150\r\n#  15150\r\n#  30150\r\n# Disc length: 602 seconds\r\n"
    "# Submitted via: zel 1.0\r\nDISCID=0c025803\r\nDTITLE=Band / Album\r\nTTITLE0=A\r\nTTITLE1=B\r\n"
    "TTITLE2=C\r\nEXTT0=\r\nEXTT1=\r\nEXTT2=\r\n.\r\n";

}  // namespace

TEST(cddb_client, hello_names_user_and_host_with_only_letters_and_digits) {
    const struct {
        const wchar_t* raw;
        const wchar_t* sent;
    } words[] = {{L"John Smith", L"John_Smith"}, {L"a.b-c+d&e", L"a_b_c_d_e"}, {L"", L"Unknown"},
                 {L"김철수", L"김철수"},         {L"user1", L"user1"}};
    for (const auto& w : words) EXPECT_EQ(cddb_client::hello_word(w.raw), w.sent) << w.sent;

    cddb_client client;
    const std::wstring user = client.user_name();
    const std::wstring host = client.host_name();
    ASSERT_FALSE(user.empty());
    ASSERT_FALSE(host.empty());
    for (wchar_t c : user + host) EXPECT_TRUE(c == L'_' || IsCharAlphaNumericW(c)) << static_cast<int>(c);
    EXPECT_EQ(client.hello(), L"hello=" + user + L"+" + host + L"+CDDB+1.23&proto=6");
    client.set_proto_level(5);
    EXPECT_EQ(client.hello(), L"hello=" + user + L"+" + host + L"+CDDB+1.23&proto=5");
}

TEST(cddb_client, a_query_sends_the_discs_offsets_and_takes_every_match) {
    scripted_server server({scripted_reply::whole(http_reply(listing(
        "211 Found inexact matches, list follows (until terminating `.')",
        {"rock 0c025803 AC/DC / Back in Black", "jazz 0c025804 Some Band / Other", "misc 0c025805 No separator"})))});
    ASSERT_TRUE(server.listening());
    cddb_client client;
    client.set_proto_level(5);
    std::vector<cddb_match> matches;
    ASSERT_TRUE(client.query(site_of(server), 0x0C025803u, example_toc(), matches));

    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string hello = utf::utf16_to_ansi(client.hello().c_str()).value();
    EXPECT_EQ(requests[0], "GET /~cddb/cddb.cgi?cmd=cddb+query+0c025803+3+150+15150+30150+602&" + hello +
                               " HTTP/1.0\r\n\r\n");

    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[0].category, L"rock");
    EXPECT_EQ(matches[0].disc_id, 0x0C025803u);
    EXPECT_EQ(matches[0].artist, L"AC/DC");
    EXPECT_EQ(matches[0].title, L"Back in Black");
    EXPECT_EQ(matches[1].category, L"jazz");
    EXPECT_EQ(matches[1].artist, L"Some Band");
    EXPECT_EQ(matches[2].artist, L"");
    EXPECT_EQ(matches[2].title, L"No separator");
}

TEST(cddb_client, query_replies_by_status_code) {
    const struct {
        const char* name;
        scripted_reply reply;
        bool found;
        size_t matches;
    } cases[] = {
        {"one exact match", scripted_reply::whole(http_reply("200 rock 0c025803 Band / Album\r\n")), true, 1},
        {"one match, no line end before the close",
         scripted_reply::whole(http_reply("200 rock 0c025803 Band / Album")), true, 1},
        {"no match", scripted_reply::whole(http_reply("202 No match for disc ID 0c025803.\r\n")), false, 0},
        {"an error code", scripted_reply::whole(http_reply("500 Command syntax error\r\n")), false, 0},
        {"a list whose lines do not parse", scripted_reply::whole(http_reply(listing("210 Found", {"rock", ""}))),
         false, 0},
        {"header and body in separate writes",
         scripted_reply::split("200 rock 0c025803 Band / Album\r\n", 300), true, 1},
        {"a list in separate writes", scripted_reply::split(listing("211 Found", {"rock 0c025803 A / B"}), 300),
         true, 1},
        {"a body of fewer than three characters", scripted_reply::whole(http_reply("2")), false, 0},
        {"the first body line in pieces", scripted_reply::drip(http_reply("200 rock 0c025803 Band / Album\r\n"), 40, 50),
         true, 1},
        {"a close inside a list", scripted_reply::whole(http_reply("211 Found\r\nrock 0c025803 A / B\r\n")), false,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scripted_server server({c.reply});
        ASSERT_TRUE(server.listening());
        cddb_client client;
        std::vector<cddb_match> matches(2);
        EXPECT_EQ(client.query(site_of(server), 0x0C025803u, example_toc(), matches), c.found);
        EXPECT_EQ(matches.size(), c.matches);
    }
}

TEST(cddb_client, sites_keeps_the_http_sites_in_reply_order) {
    scripted_server server(
        {scripted_reply::whole(http_reply(listing(
             "210 OK, site information follows (until terminating `.')",
             {"freedb.example http 80 /~cddb/cddb.cgi N037.33 W122.15 Example, Somewhere",
              "cddbp.example cddbp 8880 - N037.33 W122.15 Not over http",
              "mirror.example HTTP 8080 /cddb.cgi S033.52 E151.13 Sydney",
              "bad.example http 80 /x N37.33 W122.15 Latitude too short", "short.example http 80 /x N037.33 W122.15",
              "port.example http 99999 /x N037.33 W122.15 Port out of range"}))),
         scripted_reply::whole(http_reply(listing("210 OK", {"a.example cddbp 8880 - N000.00 W000.00 Other"}))),
         scripted_reply::whole(http_reply("401 No site information available.\r\n"))});
    ASSERT_TRUE(server.listening());
    cddb_client client;
    std::vector<cddb_site> sites;
    ASSERT_TRUE(client.sites_at(sites, L"127.0.0.1", L"/~cddb/cddb.cgi", server.port()));
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(sites[0].host, L"freedb.example");
    EXPECT_EQ(sites[0].port, 80);
    EXPECT_EQ(sites[0].path, L"/~cddb/cddb.cgi");
    EXPECT_EQ(sites[0].north, 1);
    EXPECT_EQ(sites[0].latitude, 37 * 60 + 33);
    EXPECT_EQ(sites[0].east, 0);
    EXPECT_EQ(sites[0].longitude, 122 * 60 + 15);
    EXPECT_EQ(sites[0].description, L"Example, Somewhere");
    EXPECT_EQ(sites[1].host, L"mirror.example");
    EXPECT_EQ(sites[1].port, 8080);
    EXPECT_EQ(sites[1].north, 0);
    EXPECT_EQ(sites[1].east, 1);

    // Only sites of other protocols: true and none; a refusal: false.
    EXPECT_TRUE(client.sites_at(sites, L"127.0.0.1", L"/~cddb/cddb.cgi", server.port()));
    EXPECT_TRUE(sites.empty());
    EXPECT_FALSE(client.sites_at(sites, L"127.0.0.1", L"/~cddb/cddb.cgi", server.port()));

    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].rfind("GET /~cddb/cddb.cgi?cmd=sites&hello=", 0), 0u) << requests[0];
    EXPECT_EQ(requests[0].find("Host:"), std::string::npos);
}

TEST(cddb_client, read_fills_the_record_of_the_match) {
    scripted_server server({scripted_reply::whole(http_reply(record_text)),
                            scripted_reply::whole(http_reply("401 rock 0c025803 No such CD entry in database.\r\n")),
                            scripted_reply::whole(http_reply("210 rock 0c025803 follows\r\nDTITLE=Broken\r\n.\r\n"))});
    ASSERT_TRUE(server.listening());
    cddb_client client;
    cddb_match match;
    match.category = L"rock";
    match.disc_id = 0x0C025803u;
    cddb_disc record;
    ASSERT_TRUE(client.read(site_of(server), 0x0C025803u, match, record));
    EXPECT_EQ(record.artist, L"Band");
    EXPECT_EQ(record.title, L"Album");
    EXPECT_EQ(record.track_titles, (std::vector<std::wstring>{L"A", L"B", L"C"}));
    EXPECT_EQ(record.disc_id, 0x0C025803u);
    EXPECT_EQ(server.requests()[0].rfind("GET /~cddb/cddb.cgi?cmd=cddb+read+rock+0c025803&hello=", 0), 0u);

    cddb_disc missing;
    EXPECT_FALSE(client.read(site_of(server), 0x0C025803u, match, missing));
    cddb_disc broken;
    EXPECT_FALSE(client.read(site_of(server), 0x0C025803u, match, broken));
}

TEST(cddb_client, a_slow_server_is_waited_for_and_a_silent_one_given_up) {
    const std::string sites = http_reply(listing("210 OK", {"a.example http 80 /x N000.00 W000.00 A"}));
    // Five pieces a second apart outlast the 3 s idle time only if every
    // byte restarts its clock.
    scripted_server slow({scripted_reply::drip(sites, (sites.size() + 4) / 5, 1000)});
    ASSERT_TRUE(slow.listening());
    cddb_client client;
    std::vector<cddb_site> out;
    EXPECT_TRUE(client.sites_at(out, L"127.0.0.1", L"/~cddb/cddb.cgi", slow.port()));
    EXPECT_EQ(out.size(), 1u);

    scripted_server silent({scripted_reply::silent(30000)});
    ASSERT_TRUE(silent.listening());
    EXPECT_FALSE(client.sites_at(out, L"127.0.0.1", L"/~cddb/cddb.cgi", silent.port()));

    // The header, then silence.
    scripted_reply stalled = scripted_reply::whole(http_reply("210 OK\r\n"));
    stalled.hold_ms = 30000;
    scripted_server stall({stalled});
    ASSERT_TRUE(stall.listening());
    EXPECT_FALSE(client.stat(site_of(stall)));
}

// A reply that comes a byte at a time never trips the idle time: the
// deadline bounds the lookup's commands together, and a cancel from another
// thread (the dialog's button) ends the command under way.
TEST(cddb_client, a_deadline_or_a_cancel_ends_a_reply_that_drips_for_ever) {
    const std::string sites = http_reply(listing("210 OK", {"a.example http 80 /x N000.00 W000.00 A"}));
    std::vector<cddb_site> out;
    {
        scripted_server drip({scripted_reply::drip(sites, 1, 200)});  // about 20 s
        ASSERT_TRUE(drip.listening());
        cddb_client client;
        client.set_deadline(1000);
        const DWORD begin = GetTickCount();
        EXPECT_FALSE(client.sites_at(out, L"127.0.0.1", L"/~cddb/cddb.cgi", drip.port()));
        const DWORD took = GetTickCount() - begin;
        EXPECT_GE(took, 900u);
        EXPECT_LT(took, 4000u);
        EXPECT_TRUE(client.stopped());
        EXPECT_FALSE(client.stat(site_of(drip))) << "a later command is not even sent";
    }
    {
        scripted_server drip({scripted_reply::drip(sites, 1, 200)});
        ASSERT_TRUE(drip.listening());
        cddb_client client;
        std::thread canceller([&] {
            Sleep(500);
            client.cancel();
        });
        const DWORD begin = GetTickCount();
        EXPECT_FALSE(client.sites_at(out, L"127.0.0.1", L"/~cddb/cddb.cgi", drip.port()));
        EXPECT_LT(GetTickCount() - begin, 2500u);
        canceller.join();
        EXPECT_TRUE(client.cancelled());
    }
}

TEST(cddb_client, broken_connections_and_hosts_fail_cleanly) {
    cddb_client client;
    std::vector<cddb_site> out;
    // Closed before the terminator.
    scripted_server cut({scripted_reply::whole(http_reply("210 OK\r\na.example http 80 /x N000.00 W000.00 A"))});
    ASSERT_TRUE(cut.listening());
    EXPECT_FALSE(client.sites_at(out, L"127.0.0.1", L"/~cddb/cddb.cgi", cut.port()));

    // A reply that never ends is not kept growing.
    scripted_reply endless;
    endless.pieces.push_back({0, http_reply("210 OK\r\n")});
    for (int i = 0; i < 40; ++i) endless.pieces.push_back({0, std::string(32768, 'x')});
    scripted_server flood({endless});
    ASSERT_TRUE(flood.listening());
    EXPECT_FALSE(client.sites_at(out, L"127.0.0.1", L"/~cddb/cddb.cgi", flood.port()));

    // Nothing listening, a host name too long to be one, no host at all, a
    // table without a track.
    int closed_port = 0;
    {
        scripted_server gone({});
        closed_port = gone.port();
    }
    EXPECT_FALSE(client.sites_at(out, L"127.0.0.1", L"/~cddb/cddb.cgi", closed_port));
    EXPECT_FALSE(client.sites_at(out, std::wstring(300, L'a').c_str(), L"/~cddb/cddb.cgi", 80));
    EXPECT_FALSE(client.sites_at(out, L"", L"/~cddb/cddb.cgi", 80));
    std::vector<cddb_match> matches;
    EXPECT_FALSE(client.query(site_of(cut), 1, {}, matches));
    EXPECT_EQ(cut.requests().size(), 1u);  // the empty table asked nothing
}
