// The output manager as the player reaches it through the registry: types,
// device lists, buffer length and listeners.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <string>
#include <utility>
#include <vector>
#include "output_capture.h"
#include "temp_folder.h"

namespace {
// Listeners are never removed, so the recorder lives as long as the process.
class recording_listener : public output_listener {
public:
    void on_event(int) override { ++events; }
    void on_devices_changed(int output_type, int device_index) override {
        changes.emplace_back(output_type, device_index);
        std::vector<stringx> names;
        find_output_manager()->devices(output_type, names);
        names_seen.clear();
        for (const stringx& n : names) names_seen.push_back(n.wvalue());
    }
    int events = 0;
    std::vector<std::pair<int, int>> changes;
    std::vector<std::wstring> names_seen;
};

recording_listener& listener() {
    static recording_listener l;
    return l;
}

std::vector<std::wstring> device_names(int type) {
    std::vector<stringx> names;
    names.push_back(stringx(L"left over"));
    int count = find_output_manager()->devices(type, names);
    std::vector<std::wstring> result;
    for (const stringx& n : names) result.push_back(n.wvalue());
    EXPECT_EQ(count, static_cast<int>(result.size()));
    return result;
}
}  // namespace

TEST(output_manager, registry_hands_out_one_manager_and_new_outputs) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    EXPECT_EQ(core::enum_count_component(output_manager::iid), 1);
    EXPECT_EQ(core::enum_create_component(output_manager::iid, 0), find_output_manager());
    EXPECT_EQ(core::enum_count_component(output::iid), 1);

    component* a = core::enum_create_component(output::iid, 0);
    component* b = core::enum_create_component(output::iid, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_TRUE(guid_equal(*a->get_guid(), output::iid));
    EXPECT_STREQ(static_cast<output*>(a)->name(), L"capture");
    EXPECT_EQ(capture->output_count(), 2);
    a->release();
    b->release();
}

TEST(output_manager, current_makes_an_output_of_the_selected_type) {
    ASSERT_NE(start_capture(), nullptr);
    temp_folder folder(L"zel_out");
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV", (folder / L"out.wav").c_str());
    struct row {
        int type;
        int device;
        const wchar_t* name;
    };
    const row rows[] = {
        {output_type_waveout, 0, L"waveout"},  {output_type_waveout, -1, L"waveout"},
        {output_type_wav_file, 0, L"wavfile"}, {output_type_capture, 1, L"capture"},
        {7, 0, L"waveout"},
    };
    output_manager* manager = find_output_manager();
    for (const row& r : rows) {
        manager->select(r.type, r.device);
        EXPECT_EQ(manager->selected_type(), r.type);
        EXPECT_EQ(manager->selected_device(), r.device);
        output* o = manager->current();
        ASSERT_NE(o, nullptr) << r.type;
        EXPECT_STREQ(o->name(), r.name) << r.type;
        EXPECT_EQ(o->get_volume(), 1000);
        EXPECT_TRUE(o->is_finished());
        EXPECT_EQ(o->buffered_bytes(), 0);
        o->release();
    }
    // Making an output writes no file yet.
    EXPECT_FALSE(temp_folder::exists(folder / L"out.wav"));
}

// A machine without a sound card: what is selected for the sound device
// plays into the WAV file, which gets the samples; the other types and the
// device list stay as they are, and "0" switches the override off.
TEST(output_manager, without_a_sound_device_the_sound_device_plays_into_the_wav_file) {
    ASSERT_NE(start_capture(), nullptr);
    temp_folder folder(L"zel_out");
    const std::wstring path = folder / L"nodevice.wav";
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV", path.c_str());
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", L"0");
    output_manager* manager = find_output_manager();
    const std::vector<std::wstring> system = device_names(output_type_waveout);
    struct row {
        const wchar_t* setting;
        int type;
        const wchar_t* name;
    };
    const row rows[] = {{L"1", output_type_waveout, L"wavfile"}, {L"1", output_type_capture, L"capture"},
                        {L"0", output_type_waveout, L"waveout"}, {nullptr, output_type_waveout, L"waveout"}};
    for (const row& r : rows) {
        SetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", r.setting);
        manager->select(r.type, 0);
        output* o = manager->current();
        ASSERT_NE(o, nullptr) << r.type;
        EXPECT_STREQ(o->name(), r.name) << (r.setting ? r.setting : L"unset");
        EXPECT_EQ(device_names(output_type_waveout), system);
        if (std::wstring(r.name) == L"wavfile") {
            audio_format format = {};
            format.format_tag = 1;
            format.sample_rate = 44100;
            format.channels = 2;
            format.bits_per_sample = 16;
            std::vector<unsigned char> pcm(4 * 441, 7);
            o->start(0.01);
            EXPECT_EQ(o->write(&format, pcm.data(), static_cast<int>(pcm.size())), static_cast<int>(pcm.size()));
            o->finish_track(0);
        }
        o->release();
    }
    SetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", nullptr);
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", nullptr);
    EXPECT_TRUE(temp_folder::exists(path));
}

// Players on different sound devices of a machine without a sound card
// write different files: "{device}" in the path is the selected index.
TEST(output_manager, without_a_sound_device_each_device_index_has_its_own_file) {
    ASSERT_NE(start_capture(), nullptr);
    temp_folder folder(L"zel_out");
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV", (folder / L"device-{device}.wav").c_str());
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", L"0");
    SetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", L"1");
    output_manager* manager = find_output_manager();
    audio_format format = {};
    format.format_tag = 1;
    format.sample_rate = 44100;
    format.channels = 2;
    format.bits_per_sample = 16;
    std::vector<unsigned char> pcm(4 * 441, 7);
    for (int device : {2, 3}) {
        manager->select(output_type_waveout, device);
        output* o = manager->current();
        ASSERT_NE(o, nullptr);
        o->start(0.01);
        EXPECT_EQ(o->write(&format, pcm.data(), static_cast<int>(pcm.size())), static_cast<int>(pcm.size()));
        o->finish_track(0);
        o->release();
    }
    SetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", nullptr);
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", nullptr);
    EXPECT_TRUE(temp_folder::exists(folder / L"device-2.wav"));
    EXPECT_TRUE(temp_folder::exists(folder / L"device-3.wav"));
}

TEST(output_manager, buffer_length_has_a_default_and_limits) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    output_manager* manager = find_output_manager();
    const std::pair<int, int> rows[] = {{500, 500}, {0, 3000}, {-5, 3000}, {1, 10}, {100000, 60000}, {3000, 3000}};
    for (const auto& r : rows) {
        manager->set_buffer_ms(r.first);
        EXPECT_EQ(manager->get_buffer_ms(), r.second) << r.first;
    }
    // An output keeps the length it was made with.
    manager->set_buffer_ms(500);
    output* o = manager->current();
    manager->set_buffer_ms(1000);
    output* p = manager->current();
    capture_state first, second;
    ASSERT_TRUE(capture->state(0, &first));
    ASSERT_TRUE(capture->state(1, &second));
    EXPECT_EQ(first.buffer_ms, 500);
    EXPECT_EQ(second.buffer_ms, 1000);
    o->release();
    p->release();
}

TEST(output_manager, devices_replace_the_list_with_each_types_names) {
    ASSERT_NE(start_capture(), nullptr);
    EXPECT_EQ(device_names(output_type_capture), (std::vector<std::wstring>{L"Capture 1", L"Capture 2"}));

    temp_folder folder(L"zel_out");
    std::wstring path = folder / L"listed.wav";
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV", path.c_str());
    EXPECT_EQ(device_names(output_type_wav_file), std::vector<std::wstring>{path});

    // The sound devices as the player numbers them: DirectSound's list,
    // whose entry 0 is the default device.
    struct list {
        static BOOL CALLBACK add(GUID*, LPCWSTR description, LPCWSTR, LPVOID context) {
            static_cast<std::vector<std::wstring>*>(context)->push_back(description ? description : L"");
            return TRUE;
        }
    };
    std::vector<std::wstring> system;
    DirectSoundEnumerateW(&list::add, &system);
    EXPECT_GE(system.size(), 2u);  // Wine lists the null ALSA device after the default entry
    EXPECT_EQ(device_names(output_type_waveout), system);
    EXPECT_EQ(device_names(9), system);
}

TEST(output_manager, listeners_hear_every_select_once_each) {
    ASSERT_NE(start_capture(), nullptr);
    output_manager* manager = find_output_manager();
    recording_listener& l = listener();
    manager->add_listener(&l);
    manager->add_listener(&l);
    manager->add_listener(nullptr);
    l.changes.clear();
    manager->select(output_type_capture, 1);
    manager->select(output_type_waveout, 5);
    manager->select(output_type_waveout, 5);
    const std::vector<std::pair<int, int>> expected = {{2, 1}, {0, 5}, {0, 5}};
    EXPECT_EQ(l.changes, expected);
    EXPECT_EQ(l.events, 0);
}

TEST(output_manager, a_capture_device_list_change_reaches_listeners_of_that_type) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    output_manager* manager = find_output_manager();
    recording_listener& l = listener();
    manager->add_listener(&l);
    manager->select(output_type_capture, 1);
    l.changes.clear();

    capture->set_device_names({stringx(L"A"), stringx(L"B"), stringx(L"C")});
    EXPECT_EQ(l.changes, (std::vector<std::pair<int, int>>{{2, 1}}));
    // The listener reads the new list from inside its call.
    EXPECT_EQ(l.names_seen, (std::vector<std::wstring>{L"A", L"B", L"C"}));

    capture->set_device_names({stringx(L"A"), stringx(L"B"), stringx(L"C")});
    EXPECT_EQ(l.changes.size(), 1u);  // no change, no call

    manager->select(output_type_waveout, 0);
    l.changes.clear();
    capture->set_device_names({stringx(L"D")});
    EXPECT_TRUE(l.changes.empty());  // not the selected type

    capture->reset();
    EXPECT_EQ(device_names(output_type_capture), (std::vector<std::wstring>{L"Capture 1", L"Capture 2"}));
}
