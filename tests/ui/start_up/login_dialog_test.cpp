// The login dialog on a real window against the service's stand-in: the
// saved password, the masked field, the checks stored by the close button
// and not by the window's close, refusals with and without an address, the
// missing id, and how it looks.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "login_dialog.h"
#include "player_options.h"
#include "skin.h"
#include "skin_control.h"
#include "stand_in_server.h"
#include "startup_rig.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
typedef scripted_user::step step;

std::vector<std::string> login_passwords(const stand_in_server& server) {
    std::vector<std::string> out;
    for (const recorded_request& r : server.requests()) {
        if (r.path() != "/rux/rux_login_check.php") continue;
        std::string pw = "<absent>";
        for (const auto& f : r.decoded_fields())
            if (f.first == "userpw") pw = f.second;
        out.push_back(pw);
    }
    return out;
}

class login_dialog_test : public ::testing::Test {
protected:
    void SetUp() override {
        get_player_options() = player_options();
        ASSERT_TRUE(server.start_scenario(scenario)) << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
        SetEnvironmentVariableW(L"ZEL_SERVICE_WEB_HOST", nullptr);
        owner = services.window.create(nullptr);
        ShowWindow(owner, SW_SHOWNOACTIVATE);
    }
    void TearDown() override { SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr); }

    // Runs the dialog with the fields; the user follows the steps.
    int run(const wchar_t* id, const wchar_t* saved, std::vector<step> steps) {
        dialog.reset(new login_dialog(services));
        dialog->user_id = id;
        dialog->saved_password = saved;
        scripted_user user(std::move(steps));
        const int result = dialog->modal(owner);
        EXPECT_TRUE(user.finished()) << "steps done: " << user.done();
        EXPECT_EQ(user.unexpected(), 0);
        return result;
    }
    // A control of the dialog's skin while it is up.
    skin_button* control(unsigned id) { return static_cast<skin_button*>(dialog->get_skin()->get_control(id)); }

    std::string scenario =
        R"({"refusal": {"message": "비밀번호가 틀렸습니다.", "url": "http://127.0.0.1/find"}})";
    stand_in_server server;
    rig_services services;
    std::unique_ptr<login_dialog> dialog;
    HWND owner = nullptr;
};

// Posts a press and release at x, y of the dialog, as a click reaches it.
// A press beside the skin's controls starts the system's window move, which
// a recorder attached first keeps from running (no pointer drives it here).
void post_click(window_rig::message_recorder& recorder, HWND dialog, int x, int y) {
    recorder.init(dialog);
    PostMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(dialog, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void post_enter(HWND edit) {
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

// A step that waits until the dialog satisfies ready, then acts.
step when_dialog(std::function<bool(HWND)> ready, std::function<void(HWND)> act) {
    return [ready, act]() -> scripted_user::action {
        if (scripted_user::message_box()) return nullptr;
        HWND dialog = scripted_user::login_window();
        if (!dialog || !ready(dialog)) return nullptr;
        return [dialog, act]() { act(dialog); };
    };
}
bool any(HWND) { return true; }
}  // namespace

TEST_F(login_dialog_test, a_saved_password_is_used_when_the_field_is_untouched) {
    struct row {
        const char* name;
        bool click_masked_field;
    };
    for (const row& r : {row{"Enter at once", false}, row{"the masked field clicked, the field left empty", true}}) {
        SCOPED_TRACE(r.name);
        get_player_options() = player_options();
        const size_t before = login_passwords(server).size();
        dialog_fields first, after_click;
        window_rig::message_recorder recorder;
        std::vector<step> steps;
        steps.push_back(when_dialog(any, [&](HWND d) {
            first = read_dialog(d);
            if (r.click_masked_field) post_click(recorder, d, 150, 220);
        }));
        if (r.click_masked_field)
            steps.push_back(when_dialog([](HWND d) { return !read_dialog(d).masked_visible; },
                                        [&](HWND d) { after_click = read_dialog(d); }));
        steps.push_back(when_dialog(any, [](HWND d) { post_enter(GetDlgItem(d, 1000)); }));
        EXPECT_EQ(run(L"store01", L"pw01", steps), 1);

        EXPECT_EQ(first.id, L"store01");
        EXPECT_TRUE(first.masked_visible);
        EXPECT_FALSE(first.password_visible);
        if (r.click_masked_field) {
            EXPECT_TRUE(after_click.password_visible);
            EXPECT_FALSE(after_click.masked_visible);
            EXPECT_EQ(after_click.password, L"");
        }
        const std::vector<std::string> sent = login_passwords(server);
        ASSERT_EQ(sent.size(), before + 1);
        EXPECT_EQ(sent.back(), "pw01");
        // A dialog login keeps the id and the password that logged in, for
        // the start-up to store.
        EXPECT_EQ(std::wstring(get_player_options().user_id.wvalue()), L"store01");
        EXPECT_EQ(std::wstring(get_player_options().password.wvalue()), L"pw01");
        EXPECT_EQ(std::wstring(services.ini().read(L"client", L"id").wvalue()), L"store01");
    }
    EXPECT_EQ(services.listener_calls, 2);
}

TEST_F(login_dialog_test, the_close_button_stores_the_checks_and_the_window_close_does_not) {
    struct row {
        const char* name;
        bool close_button;
    };
    for (const row& r : {row{"close button", true}, row{"window close", false}}) {
        SCOPED_TRACE(r.name);
        player_options& o = get_player_options();
        o.password_save = true;
        o.auto_login = false;
        o.auto_start = true;
        for (const wchar_t* key : {L"password_save", L"auto_login", L"auto_start"}) services.set_ini(key, L"");
        bool checks_after_clicks[3] = {};
        std::vector<step> steps;
        // Clicks on the words of "비밀 번호 저장" and "자동 로그인" (their hit
        // rectangles reach past the boxes).
        steps.push_back(when_dialog(any, [](HWND d) {
            SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 266));
            SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(120, 266));
            SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(230, 266));
            SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(230, 266));
            // And the link "도움말".
            SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 320));
            SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(300, 320));
        }));
        steps.push_back(when_dialog(any, [&](HWND d) {
            // The checks as the skin shows them once the clicks' commands
            // were handled.
            for (int i = 0; i < 3; ++i) checks_after_clicks[i] = control(login_dialog::check_password_save + i)->checked;
            if (r.close_button) {
                SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(329, 17));
                SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(329, 17));
            } else {
                SendMessageW(d, WM_CLOSE, 0, 0);
            }
        }));
        EXPECT_EQ(run(L"store01", L"", steps), 2);
        EXPECT_FALSE(checks_after_clicks[0]);
        EXPECT_TRUE(checks_after_clicks[1]);
        EXPECT_TRUE(checks_after_clicks[2]);
        if (r.close_button) {
            EXPECT_EQ(services.ini_value(L"password_save"), L"0");
            EXPECT_EQ(services.ini_value(L"auto_login"), L"1");
            EXPECT_EQ(services.ini_value(L"auto_start"), L"1");
            EXPECT_FALSE(o.password_save);
            EXPECT_TRUE(o.auto_login);
        } else {
            EXPECT_EQ(services.ini_value(L"password_save"), L"");
            EXPECT_EQ(services.ini_value(L"auto_login"), L"");
            EXPECT_EQ(services.ini_value(L"auto_start"), L"");
            EXPECT_TRUE(o.password_save);
            EXPECT_FALSE(o.auto_login);
        }
        EXPECT_TRUE(login_passwords(server).empty());
        ASSERT_FALSE(services.pages.empty());
        EXPECT_EQ(services.pages.back(), L"http://" + server.host() + L"/rux/loginpage.php?mode=4");
    }
    EXPECT_EQ(services.pages.size(), 2u);
}

TEST_F(login_dialog_test, a_refusal_with_an_address_offers_ok_and_cancel) {
    bool login_enabled_again = false;
    std::vector<step> steps = {
        // Cancel opens nothing.
        when_dialog(any,
                    [](HWND d) {
                        SetDlgItemTextW(d, 1000, L"store01");
                        SetDlgItemTextW(d, 1001, L"bad");
                        SendMessageW(d, WM_COMMAND, IDOK, 0);
                    }),
        scripted_user::answer_box(IDCANCEL),
        // OK opens the address.
        when_dialog(any,
                    [&](HWND d) {
                        login_enabled_again = control(1)->enabled;
                        SendMessageW(d, WM_COMMAND, IDOK, 0);
                    }),
        scripted_user::answer_box(IDOK),
        when_dialog(any, [](HWND d) { SendMessageW(d, WM_COMMAND, 2, -1); }),
    };
    EXPECT_EQ(run(L"", L"", steps), 2);
    ASSERT_EQ(services.boxes.size(), 2u);
    for (const shown_box& b : services.boxes) {
        EXPECT_EQ(b.text, L"비밀번호가 틀렸습니다.");
        EXPECT_EQ(b.type & 0xF, static_cast<UINT>(MB_OKCANCEL));
    }
    EXPECT_EQ(services.pages, (std::vector<std::wstring>{L"http://127.0.0.1/find"}));
    EXPECT_EQ(login_passwords(server), (std::vector<std::string>{"bad", "bad"}));
    EXPECT_TRUE(login_enabled_again);
    EXPECT_EQ(services.listener_calls, 0);
}

TEST_F(login_dialog_test, a_refusal_without_an_address_offers_ok_alone_and_an_empty_id_asks_for_one) {
    server.stop();
    ASSERT_TRUE(server.start_scenario("{}")) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    std::vector<step> steps = {
        when_dialog(any, [](HWND d) { SendMessageW(d, WM_COMMAND, IDOK, 0); }),
        scripted_user::answer_box(IDOK),
        when_dialog(any,
                    [](HWND d) {
                        SetDlgItemTextW(d, 1000, L"store01");
                        SendMessageW(d, WM_COMMAND, IDOK, 0);
                    }),
        scripted_user::answer_box(IDOK),
        when_dialog(any,
                    [](HWND d) {
                        SetDlgItemTextW(d, 1001, L"bad");
                        SendMessageW(d, WM_COMMAND, IDOK, 0);
                    }),
        scripted_user::answer_box(IDOK),
        when_dialog(any, [](HWND d) { SendMessageW(d, WM_CLOSE, 0, 0); }),
    };
    EXPECT_EQ(run(L"", L"", steps), 2);
    ASSERT_EQ(services.boxes.size(), 3u);
    EXPECT_EQ(services.boxes[0].text, L"아이디를 입력하세요");
    EXPECT_EQ(services.boxes[1].text, L"비밀번호를 입력하세요");
    EXPECT_EQ(services.boxes[2].text, L"아이디 또는 비밀번호가 일치하지 않습니다.");
    EXPECT_EQ(services.boxes[2].type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_EQ(login_passwords(server), (std::vector<std::string>{"bad"}));
    EXPECT_TRUE(services.pages.empty());
}

TEST_F(login_dialog_test, shows_its_skin_checks_and_fields) {
    get_player_options().password_save = true;
    get_player_options().auto_login = false;
    get_player_options().auto_start = true;
    pixel_image shot, screen;
    RECT place = {}, main = {};
    HRGN shape_copy = nullptr;
    std::vector<step> steps = {when_dialog(any, [&](HWND d) {
        // What the skin paints (its back buffer) for the checks; the window
        // as it shows, edits included, for a person to look at.
        const dib& back = dialog->get_skin()->back_buffer();
        shot = capture_dc(back.get_memdc(), 0, 0, back.get_width(), back.get_height());
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        screen = capture_window(d);
        GetWindowRect(d, &place);
        GetWindowRect(owner, &main);
        shape_copy = CreateRectRgn(0, 0, 0, 0);
        GetWindowRgn(d, shape_copy);
        SendMessageW(d, WM_CLOSE, 0, 0);
    })};
    EXPECT_EQ(run(L"store01", L"pw01", steps), 2);
    save_artifact(screen, L"login_dialog");
    ASSERT_EQ(shot.width, 350);
    ASSERT_EQ(shot.height, 360);
    // Centred on the main window, and on its rectangle 400 pixels taller.
    EXPECT_EQ(place.left, main.left + ((main.right - main.left) - 350) / 2);
    EXPECT_EQ(place.top, main.top + ((main.bottom - main.top + 400) - 360) / 2);
    // The checks show the face's checked and unchecked looks.
    dib* face = skin::load_png_resource(L"PNG", login_dialog::face_png);
    ASSERT_TRUE(face);
    pixel_image source = capture_dc(face->get_memdc(), 0, 0, 350, 375);
    delete face;
    int checked_same = 0, unchecked_same = 0;
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 12; ++x) {
            checked_same += shot.at(58 + x, 261 + y) == source.at(58 + x, 362 + y);    // password_save
            unchecked_same += shot.at(173 + x, 261 + y) == source.at(71 + x, 362 + y);  // auto_login
        }
    }
    EXPECT_EQ(checked_same, 12 * 11);
    EXPECT_EQ(unchecked_same, 12 * 11);
    // The corners lie outside the window's shape.
    ASSERT_TRUE(shape_copy);
    EXPECT_FALSE(PtInRegion(shape_copy, 0, 0));
    EXPECT_TRUE(PtInRegion(shape_copy, 175, 180));
    DeleteObject(shape_copy);
    // The logo (the player's own: no logo was downloaded) is drawn at (1, 37).
    dib* logo = skin::load_png_resource(L"PNG", login_dialog::logo_png);
    ASSERT_TRUE(logo);
    pixel_image logo_pixels = capture_dc(logo->get_memdc(), 0, 0, 348, 136);
    delete logo;
    EXPECT_EQ(shot.at(1 + 174, 37 + 64), logo_pixels.at(174, 64));
    // The mark fills its display: many bright pixels, not a dot in the dark.
    int bright = 0;
    for (int y = 0; y < 136; ++y)
        for (int x = 0; x < 348; ++x) {
            const COLORREF c = logo_pixels.at(x, y);
            bright += GetRValue(c) + GetGValue(c) + GetBValue(c) > 300;
        }
    EXPECT_GT(bright, 2500);
    // The face image has no words: the dialog writes the edits' names, the
    // checks' words beside their boxes and the links' words, each where the
    // face alone shows plain background.
    const RECT words[] = {{30, 188, 110, 206},  {30, 212, 110, 230},  {74, 258, 168, 275},
                          {189, 258, 300, 275}, {74, 277, 300, 295},  {21, 312, 75, 330},
                          {80, 312, 209, 330},  {212, 312, 283, 330}, {286, 312, 336, 330}};
    for (const RECT& r : words) {
        int written = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const COLORREF c = shot.at(x, y);
                written += c != source.at(x, y) && GetBValue(c) > GetRValue(c);
            }
        EXPECT_GT(written, 15) << "words at " << r.left << "," << r.top;
    }
}
