// The equalizer's settings: loaded per user at every login and from the INI
// file at start-up, saved per user at the end, in the exact text format, back
// to six decimals. Runs beside zel_addv2, whose settings store keeps the
// per-user values.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "config_var.h"
#include "equalizer.h"
#include "init_quit.h"
#include "settings_store.h"
#include "stage_test_support.h"

namespace {
settings_store* started_store() {
    load_components();
    static bool started = false;
    if (!started) {
        for_each_component<init_quit>([](init_quit* hook) { hook->on_init(); });
        started = true;
    }
    return first_component<settings_store>();
}

// A store user no other test program uses.
std::wstring new_user(const wchar_t* tag) {
    static int serial = 0;
    return std::wstring(L"eq_") + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++serial);
}

std::wstring stored(settings_store* store, const std::wstring& user, const wchar_t* key) {
    wchar_t* value = store->read(L"equalizer", key, user.c_str());
    std::wstring text = value ? value : L"<null>";
    free(value);
    return text;
}

std::vector<double> current_values(equalizer* eq) {
    const double* values = nullptr;
    eq->bands(&values);
    return std::vector<double>(values, values + equalizer::value_count);
}

struct equalizer_settings_fixture : testing::Test {
    void SetUp() override {
        store = started_store();
        eq = first_component<equalizer>();
        ASSERT_NE(store, nullptr) << "zel_addv2 must lie beside the test";
        ASSERT_NE(eq, nullptr);
    }
    void TearDown() override {
        if (store) store->set_user(L"");
    }
    settings_store* store = nullptr;
    equalizer* eq = nullptr;
};
}  // namespace

TEST_F(equalizer_settings_fixture, a_login_loads_the_users_switch_and_values) {
    struct row {
        const wchar_t* apply;  // null: the user has no such value
        const wchar_t* bands;
        bool enabled;
        std::vector<double> values;
    };
    std::vector<double> zeros(11, 0.0);
    const row rows[] = {
        {L"on", L"1,2,3", true, {1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0}},
        {L"ON", L"1.5,-2.25,,abc,4", true, {1.5, -2.25, 0, 0, 4, 0, 0, 0, 0, 0, 0}},
        {L"On", L"12.000000,-12.000000,0.500000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,-3.250000,",
         true, {12, -12, 0.5, 0, 0, 0, 0, 0, 0, 0, -3.25}},
        {L"yes", L"1,2,3,4,5,6,7,8,9,10,11,12,13", false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {L"off", L"", false, zeros},
        {nullptr, nullptr, false, zeros},  // nothing stored for the user
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "bands " << (r.bands ? std::string(r.bands, r.bands + wcslen(r.bands)) : "none"));
        // Something else first, so that the login visibly replaces it.
        eq->set_enabled(!r.enabled);
        double other[equalizer::value_count] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
        eq->set_bands(other);
        std::wstring user = new_user(L"load");
        if (r.apply) store->write(L"equalizer", L"apply", r.apply, user.c_str());
        if (r.bands) store->write(L"equalizer", L"bands", r.bands, user.c_str());
        store->set_user(user.c_str());
        EXPECT_EQ(eq->enabled(), r.enabled);
        EXPECT_EQ(current_values(eq), r.values);
    }
}

TEST_F(equalizer_settings_fixture, the_end_saves_the_values_per_user_and_a_login_brings_them_back) {
    std::wstring user = new_user(L"save");
    store->set_user(user.c_str());
    EXPECT_FALSE(eq->enabled());
    EXPECT_EQ(current_values(eq), std::vector<double>(11, 0.0));
    // Flat and off: eleven zeros, each followed by a comma.
    for_each_component<init_quit>([](init_quit* hook) { hook->on_quit(); });
    EXPECT_EQ(stored(store, user, L"apply"), L"off");
    EXPECT_EQ(stored(store, user, L"bands"),
              L"0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,");

    const double values[equalizer::value_count] = {1.23456789, -12.0, 0.5, 3.0000004, -0.25, 20.0, 0.0, -7.1, 4.9999996, 11.0, -0.0000004};
    eq->set_enabled(true);
    eq->set_bands(values);
    for_each_component<init_quit>([](init_quit* hook) { hook->on_quit(); });
    EXPECT_EQ(stored(store, user, L"apply"), L"on");
    EXPECT_EQ(stored(store, user, L"bands"),
              L"1.234568,-12.000000,0.500000,3.000000,-0.250000,20.000000,0.000000,-7.100000,5.000000,11.000000,-0.000000,");

    // Another user has nothing: off and flat. Back to the first: the values
    // come back to six decimals.
    store->set_user(new_user(L"other").c_str());
    EXPECT_FALSE(eq->enabled());
    EXPECT_EQ(current_values(eq), std::vector<double>(11, 0.0));
    store->set_user(user.c_str());
    EXPECT_TRUE(eq->enabled());
    std::vector<double> back = current_values(eq);
    for (int v = 0; v < equalizer::value_count; ++v) EXPECT_NEAR(back[v], values[v], 5e-7) << v;
    EXPECT_EQ(back[0], 1.234568);
    EXPECT_EQ(back[7], -7.1);
}

TEST_F(equalizer_settings_fixture, start_up_loads_the_ini_files_section) {
    config_var file;
    stringx old_apply = file.read(L"equalizer", L"apply");
    stringx old_bands = file.read(L"equalizer", L"bands");
    struct row {
        const wchar_t* apply;
        const wchar_t* bands;
        bool enabled;
        std::vector<double> values;
    };
    const row rows[] = {
        {L"On", L"3,,-2.5", true, {3, 0, -2.5, 0, 0, 0, 0, 0, 0, 0, 0}},
        {L"1", L"x,1", false, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {L"", L"", false, std::vector<double>(11, 0.0)},
    };
    for (const row& r : rows) {
        file.write(L"equalizer", L"apply", r.apply);
        file.write(L"equalizer", L"bands", r.bands);
        for_each_component<init_quit>([](init_quit* hook) { hook->on_init(); });
        EXPECT_EQ(eq->enabled(), r.enabled);
        EXPECT_EQ(current_values(eq), r.values);
    }
    file.write(L"equalizer", L"apply", old_apply.wvalue());
    file.write(L"equalizer", L"bands", old_bands.wvalue());
}
