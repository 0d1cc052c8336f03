// The store view's row texts and list operations on plain records.
#include <gtest/gtest.h>

#include "store_rows.h"

namespace {

store_record store(const wchar_t* id, int connections, int waiting, const wchar_t* access_time,
                   const wchar_t* name = L"", const wchar_t* channel = L"") {
    store_record r;
    r.storetop = L"top";
    r.storemother = L"g1";
    r.storecode = L"c";
    r.userid = id;
    r.storename = name;
    r.connections = connections;
    r.waiting = waiting;
    r.access_time = access_time;
    r.channel_title = channel;
    return r;
}

SYSTEMTIME at(int y, int mo, int d, int h, int mi, int s) {
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(mo);
    t.wDay = static_cast<WORD>(d);
    t.wHour = static_cast<WORD>(h);
    t.wMinute = static_cast<WORD>(mi);
    t.wSecond = static_cast<WORD>(s);
    return t;
}

std::vector<std::wstring> ids(const std::vector<store_record>& rows) {
    std::vector<std::wstring> out;
    for (const auto& r : rows) out.push_back(r.userid.wvalue());
    return out;
}

}  // namespace

TEST(store_rows, id_and_status_texts_follow_the_counters_and_the_time) {
    const SYSTEMTIME now = at(2026, 3, 10, 14, 0, 0);
    struct row_case {
        store_record record;
        const wchar_t* id;
        const wchar_t* status;
    } cases[] = {
        {store(L"a1", 3, 0, L"20260310130100"), L"a1(3)", L"59\uBD84"},
        {store(L"a2", 1, 0, L"20260310115500"), L"a2", L"2\uC2DC\uAC04 5\uBD84"},
        {store(L"a3", 2, 5, L"20260310140000"), L"a3(2)", L"0\uBD84"},
        // A time ahead of the clock: zero or a negative number of minutes.
        {store(L"a4", 1, 0, L"20260310141000"), L"a4", L"-10\uBD84"},
        {store(L"a5", 1, 0, L"2026031014"), L"a5", L"\uB300\uAE30\uC911"},
        {store(L"a6", 0, 1, L"20260310130100"), L"a6", L"\uB300\uAE30\uC911"},
        {store(L"a7", 0, 0, L"20260310130100"), L"a7", L"\uBBF8\uC811\uC18D"},
        {store(L"a8", -1, -2, L""), L"a8", L"\uBBF8\uC811\uC18D"},
        {store(L"a9", 0, 0, L"20260310235959"), L"a9", L"\uBBF8\uC811\uC18D"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(store_rows::id_text(c.record), c.id);
        EXPECT_EQ(store_rows::status_text(c.record, now), c.status) << c.id;
    }
    EXPECT_EQ(store_rows::access_text(L"20260310115500"), L"2026-03-10 11:55:00");
    EXPECT_EQ(store_rows::access_text(L"2026031011550"), L"");
}

TEST(store_rows, search_and_state_filters_keep_the_order) {
    const std::vector<store_record> rows = {
        store(L"xAByz", 1, 0, L"20260310130000", L"\uAC15\uB0A8\uC810", L"Jazz"),
        store(L"b2", 0, 2, L"20260310120000", L"ab mart", L"Pop"),
        store(L"c3", 0, 0, L"20260310110000", L"", L"ABBA hits"),
        store(L"d4", 0, 0, L"20260310100000", L"d", L""),
    };
    EXPECT_EQ(ids(store_rows::filter_search(rows, 0, L"ab")), (std::vector<std::wstring>{L"xAByz"}));
    EXPECT_EQ(ids(store_rows::filter_search(rows, 1, L"AB")), (std::vector<std::wstring>{L"b2"}));
    EXPECT_EQ(ids(store_rows::filter_search(rows, 2, L"ab")), (std::vector<std::wstring>{L"c3"}));
    EXPECT_EQ(ids(store_rows::filter_search(rows, 0, L"")).size(), 4u);
    EXPECT_TRUE(store_rows::filter_search(rows, 1, L"zzz").empty());
    EXPECT_EQ(ids(store_rows::filter_search(rows, 0, L"xAByzz")).size(), 0u);

    struct { int filter; std::vector<std::wstring> ids; } filters[] = {
        {0, {L"xAByz", L"b2", L"c3", L"d4"}},
        {1, {L"xAByz"}},
        {2, {L"b2"}},
        {3, {L"c3", L"d4"}},
    };
    for (const auto& f : filters) EXPECT_EQ(ids(store_rows::filter_state(rows, f.filter)), f.ids) << f.filter;
}

TEST(store_rows, sorting_by_headings) {
    std::vector<store_record> rows = {
        store(L"b", 0, 0, L"20260310100000", L"Zeta", L"rock"),
        store(L"C", 0, 0, L"20260310120000", L"alpha", L"Pop"),
        store(L"a", 0, 0, L"20260310110000", L"Mid", L"jazz"),
    };
    ASSERT_TRUE(store_rows::sort_by(rows, 2));
    EXPECT_EQ(ids(rows), (std::vector<std::wstring>{L"a", L"b", L"C"}));
    ASSERT_TRUE(store_rows::sort_by(rows, 3));
    EXPECT_EQ(ids(rows), (std::vector<std::wstring>{L"C", L"a", L"b"}));
    ASSERT_TRUE(store_rows::sort_by(rows, 4));
    EXPECT_EQ(ids(rows), (std::vector<std::wstring>{L"a", L"C", L"b"}));
    ASSERT_TRUE(store_rows::sort_by(rows, 7));
    EXPECT_EQ(ids(rows), (std::vector<std::wstring>{L"C", L"a", L"b"}));
    for (int column : {0, 1, 5, 6, 8, 9}) EXPECT_FALSE(store_rows::sort_by(rows, column)) << column;
    EXPECT_EQ(ids(rows), (std::vector<std::wstring>{L"C", L"a", L"b"}));
}

TEST(store_rows, the_detail_address_escapes_every_value) {
    store_record r = store(L"id&x=1", 1, 0, L"");
    r.storetop = L"t op";
    r.storemother = L"\uAC15";
    r.storecode = L"c#1";
    EXPECT_EQ(store_rows::detail_address(L"http://h", r),
              L"http://h/rux/mana/ad_shopinfo.php?storetop=t%20op&storemother=%EA%B0%95&storecode=c%231"
              L"&userid=id%26x%3D1");
}
