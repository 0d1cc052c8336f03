// The page factory and the page base: unbuilt page types give no page, and
// a page's companion goes with the page's window.
#include <gtest/gtest.h>

#include <set>

#include "page_view.h"
#include "window_rig.h"

namespace {

// A companion that counts its deletions.
class counted_companion : public page_companion {
public:
    counted_companion(HWND w, int& deleted) : hwnd_(w), deleted_(deleted) {}
    ~counted_companion() override { ++deleted_; }
    HWND get_hwnd() const override { return hwnd_; }

private:
    HWND hwnd_;
    int& deleted_;
};

HWND plain_child(HWND parent) {
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TEST(page_factory, answers_null_for_every_type_without_a_page) {
    window_rig::host_window host(0, 0, 300, 300);
    const RECT r = {10, 10, 200, 200};
    // The types whose page class is built; every other type leaves the
    // right side empty, and so do types outside 0-7.
    const std::set<int> built = {0, 1, 2, 3, 4, 5, 6};
    for (int type = -1; type <= 8; ++type) {
        EXPECT_EQ(page_type_built(type), built.count(type) == 1) << type;
        if (built.count(type)) continue;
        EXPECT_EQ(create_page(type, stringx(L"key"), host.hwnd(), r, nullptr), nullptr) << type;
    }
    EXPECT_FALSE(page_type_built(-1));
    EXPECT_FALSE(page_type_built(8));
    EXPECT_TRUE(page_type_built(2));
}

TEST(page_factory, destroying_the_page_window_deletes_its_companion) {
    window_rig::host_window host(0, 0, 300, 300);
    int deleted = 0;
    page_view page;
    const RECT r = {10, 10, 200, 200};
    ASSERT_TRUE(page.create(host.hwnd(), &r, false, 0, 0));
    HWND lower = plain_child(host.hwnd());
    page.companion = new counted_companion(lower, deleted);
    DestroyWindow(page.get_hwnd());
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(page.companion, nullptr);
    EXPECT_FALSE(IsWindow(lower));
}

TEST(page_factory, a_companion_already_destroyed_is_deleted_without_its_window) {
    window_rig::host_window host(0, 0, 300, 300);
    int deleted = 0;
    {
        page_view page;
        const RECT r = {10, 10, 200, 200};
        ASSERT_TRUE(page.create(host.hwnd(), &r, false, 0, 0));
        HWND lower = plain_child(host.hwnd());
        page.companion = new counted_companion(lower, deleted);
        DestroyWindow(lower);
    }
    EXPECT_EQ(deleted, 1);
}
