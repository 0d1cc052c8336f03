// The server notice of an expired login: the box and the page.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "service_notice.h"

namespace {

class recording_display : public notice_display {
public:
    int answer = IDOK;
    std::vector<std::wstring> boxes;
    std::vector<std::wstring> captions;
    std::vector<UINT> types;
    std::vector<std::wstring> pages;

    int message_box(HWND, const wchar_t* text, const wchar_t* caption, UINT type) override {
        boxes.push_back(text);
        captions.push_back(caption);
        types.push_back(type);
        return answer;
    }
    void open_page(const wchar_t* url) override { pages.push_back(url); }
};

struct display_scope {
    explicit display_scope(notice_display* d) : previous(set_notice_display(d)) {}
    ~display_scope() { set_notice_display(previous); }
    notice_display* previous;
};

}  // namespace

TEST(server_notice, shows_the_message_and_opens_the_page_on_ok) {
    struct {
        const char* name;
        std::string reply;
        int answer;
        const wchar_t* box;  // null: no box
        UINT type;
        const wchar_t* page;  // null: none opened
    } cases[] = {
        {"message and page, OK", "Login=False\r\nmessage=a\x11" "b\r\nurl=http://h/p?x=1\r\n", IDOK, L"a\nb",
         MB_OKCANCEL, L"http://h/p?x=1"},
        {"message and page, Cancel", "Login=False\r\nmessage=a\r\nurl=http://h/\r\n", IDCANCEL, L"a", MB_OKCANCEL,
         nullptr},
        {"message alone", "Login=False\r\nmessage=a\r\n", IDOK, L"a", MB_OK, nullptr},
        {"page without a message", "Login=False\r\nurl=http://h/\r\n", IDOK, nullptr, 0, nullptr},
        {"a notice on the status line only", "message=a\r\n", IDOK, nullptr, 0, nullptr},
    };
    for (const auto& c : cases) {
        recording_display display;
        display.answer = c.answer;
        display_scope scope(&display);
        show_server_notice(service_reply(c.reply.data(), c.reply.size()));
        if (!c.box) {
            EXPECT_TRUE(display.boxes.empty()) << c.name;
        } else {
            ASSERT_EQ(display.boxes.size(), 1u) << c.name;
            EXPECT_EQ(display.boxes[0], c.box) << c.name;
            EXPECT_EQ(display.captions[0], L"VOLQUIN 플레이어") << c.name;
            EXPECT_EQ(display.types[0], c.type) << c.name;
        }
        EXPECT_EQ(display.pages, c.page ? std::vector<std::wstring>{c.page} : std::vector<std::wstring>()) << c.name;
    }
}
