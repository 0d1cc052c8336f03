#include "radio_test_support.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include "core.h"

namespace {

class registry_environment : public ::testing::Environment {
public:
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        core::load_library();
    }
};

::testing::Environment* const g_registry = ::testing::AddGlobalTestEnvironment(new registry_environment);

std::vector<title_event> of_kind(int id, title_event::kind_t kind) {
    std::vector<title_event> out;
    for (const title_event& e : heard(id))
        if (e.kind == kind) out.push_back(e);
    return out;
}

}  // namespace

title_recorder* recorder() {
    return static_cast<title_recorder*>(core::enum_create_component(title_recorder::iid, 0));
}

std::vector<title_event> heard(int id) {
    std::vector<title_event> out;
    if (title_recorder* r = recorder()) r->events(id, out);
    return out;
}

std::vector<title_event> titles(int id) { return of_kind(id, title_event::title); }
std::vector<title_event> buffering_events(int id) { return of_kind(id, title_event::buffering); }
std::vector<title_event> info_events(int id) { return of_kind(id, title_event::info); }

std::string icy_block(const std::string& text) {
    size_t units = (text.size() + 15) / 16;
    std::string block(1, static_cast<char>(units));
    block += text;
    block.resize(1 + units * 16, '\0');
    return block;
}

std::string icy_reply(const std::vector<std::string>& headers, const std::string& audio, int interval,
                      const std::vector<std::string>& blocks) {
    std::string reply = "ICY 200 OK\r\n";
    for (const std::string& h : headers) reply += h + "\r\n";
    reply += "\r\n";
    size_t at = 0;
    size_t n = 0;
    while (at < audio.size()) {
        size_t piece = std::min(audio.size() - at, static_cast<size_t>(interval));
        reply.append(audio, at, piece);
        at += piece;
        if (piece == static_cast<size_t>(interval) && at < audio.size()) {
            const std::string& text = blocks.empty() ? std::string() : blocks[std::min(n, blocks.size() - 1)];
            reply += icy_block(text);
            ++n;
        }
    }
    return reply;
}

std::string mpeg_fixture(const char* name) {
    std::string path = std::string(ZEL_MPEG_FIXTURE_DIR) + "/" + name;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "";
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

std::string radio_audio(size_t min_bytes) {
    const std::string one = mpeg_fixture("l3_cbr128_44k_joint.mp3");
    std::string audio;
    while (!one.empty() && audio.size() < min_bytes) audio += one;
    return audio;
}

std::string drain(stream& s, size_t want, DWORD guard_ms) {
    std::string out;
    char buffer[4096];
    const DWORD start = GetTickCount();
    while (out.size() < want && GetTickCount() - start < guard_ms) {
        const size_t left = want - out.size();
        int n = s.read(buffer, static_cast<int>(left < sizeof(buffer) ? left : sizeof(buffer)));
        if (n > 0) out.append(buffer, n);
        else if (s.at_end()) break;
    }
    return out;
}
