// The sound devices Wine lists over the test environment's ALSA null device,
// and the default device's place among them.
#include <gtest/gtest.h>

#include "instance_registry_impl.h"
#include "instance_test_support.h"
#include "sound_devices.h"

TEST(sound_devices, wine_lists_the_default_entry_then_the_default_endpoint) {
    sound_device_table devices(win32_sound_device_source());
    devices.load();
    ASSERT_GE(devices.devices().size(), 2u);
    EXPECT_STREQ(devices.devices()[0].wvalue(), L"Primary Sound Driver");
    const stringx endpoint = devices.default_endpoint_name();
    EXPECT_STREQ(endpoint.wvalue(), L"Out: default");
    EXPECT_EQ(devices.find(endpoint), 1);
    EXPECT_EQ(devices.find(L"PRIMARY SOUND DRIVER"), 0);
    EXPECT_EQ(devices.find(L"no such device"), -1);
    EXPECT_EQ(devices.default_device(), 1);
}

TEST(sound_devices, device_zero_is_stored_as_the_default_endpoints_position) {
    const instance_table_names names = instance_test::table_names(L"wine_devices");
    instance_registry_impl registry(names, module_sound_devices());
    registry.on_init();
    ASSERT_GE(module_sound_devices().devices().size(), 2u);
    ASSERT_TRUE(registry.register_user(L"store", 0));
    const instance_test::raw_table raw = instance_test::read_raw(names.mapping);
    ASSERT_EQ(raw.count, 1);
    EXPECT_EQ(raw.entries[0].device, 1);
    EXPECT_TRUE(registry.device_in_use(0));
    EXPECT_TRUE(registry.device_in_use(1));
    registry.on_quit();
}
