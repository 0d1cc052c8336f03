#pragma once
// login_manager: logs the store in to the service and then holds what the
// login reply says about it: its identity (store_info), the credentials for
// later requests, the server clock text, the announcement-info codes, the
// channel categories of the library tree, the play settings, the skin, the
// logo addresses and more. The login also applies the reply's settings to the
// player options and to the services of the other libraries (login_services.h).
//
// One object for the run (get_login_manager), not a registered component;
// its 20 operations keep their slot order. The references it hands out stay
// valid for the run; callers read them and change nothing.
//
// User-interface thread only; no lock.
//
// After a successful login the caller (start-up, the login dialog) tells
// every login_listener; the login does not.
#include <windows.h>
#include <vector>
#include "service_records.h"
#include "service_reply.h"
#include "stringx.h"
#include "timex.h"

class login_services;

// "payment": whether the store has paid, and until when. Nothing reads it.
struct payment_info {
    bool paid = false;
    timex expiry = timex(0L);  // local time; 0 when none was given
};

// One announcement-info entry of "anneinfo".
struct anneinfo_entry {
    stringx code;
    stringx title;
};

// "bcode": the store's guide number and its opening hours.
struct bcode_info {
    stringx code;        // sent as "storeguideno" by the announcement requests
    int open_time = -1;  // seconds after midnight; -1 when none was given
    int close_time = -1;
};

// One item of a channel category list (the library tree).
struct category_record {
    int level = 0;
    int kind = 0;
    stringx key;
    stringx caption;
    stringx extra;
};

// One entry of "schedulelist".
struct schedule_set {
    stringx code;
    stringx name;
    stringx second_name;
};

// Told the new current announcement-info code.
class anneinfo_listener {
public:
    virtual void on_anneinfo_code(const wchar_t* code) = 0;

protected:
    ~anneinfo_listener() = default;
};

class login_manager final {
public:
    enum { play_setting_count = 10 };

    // The services stay the caller's and must outlive the object.
    explicit login_manager(login_services& services);
    login_manager(const login_manager&) = delete;
    login_manager& operator=(const login_manager&) = delete;

    // Slot 0: the login of user_id with password; true when the store is
    // logged in. On false, message (and for a refusal by the service, url)
    // say why; the object is then not logged in and holds no credentials.
    // parent owns the sound-device chooser when it is shown.
    virtual bool login(HWND parent, const wchar_t* user_id, const wchar_t* password, stringx& message,
                       stringx& url);
    // Slot 1.
    virtual bool is_logged_in();
    // Slot 2: copies the held credentials; leaves both alone when not logged in.
    virtual void get_credentials(stringx& user_id, stringx& password);
    // Slot 3: "servertime" of the last reply as received; "" before.
    virtual stringx get_server_time();
    // Slots 4 to 7.
    virtual const store_info& get_store_info();
    virtual const payment_info& get_payment();
    virtual const std::vector<anneinfo_entry>& get_anneinfo();
    virtual const bcode_info& get_bcode();
    // Slot 8: list 0, 1, or 2 for any other number. List 0 is first filled
    // with the eight default categories when it is empty.
    virtual const std::vector<category_record>& get_categories(int list);
    // Slot 9: the ten play settings.
    virtual const int* get_play_settings();
    // Slots 10 to 16.
    virtual stringx get_ad();
    virtual int get_skin();
    virtual bool is_remote();
    virtual int get_user_level();
    virtual stringx get_logo_url();
    virtual stringx get_main_logo_url();
    virtual const std::vector<schedule_set>& get_schedule_lists();
    // Slot 17: the current announcement-info code.
    virtual const wchar_t* get_anneinfo_code();
    // Slot 18: ignored when null or empty; otherwise stored and told to the
    // listener.
    virtual void set_anneinfo_code(const wchar_t* code);
    // Slot 19: null clears it.
    virtual void set_anneinfo_listener(anneinfo_listener* listener);

    // The store's hours after the service took a change (seconds of the
    // day); the guide code stays.
    void set_store_hours(int open_time, int close_time);

private:
    void forget_credentials();
    void read_reply(const reply_map& keys);
    void read_store_data(const reply_map& keys);
    void read_categories(const reply_map& keys);
    void read_play_settings(const reply_map& keys);
    bool apply_reply(HWND parent, const reply_map& keys, stringx& message);
    bool check_device(HWND parent, stringx& message);
    void apply_options(const reply_map& keys);
    void apply_services(const reply_map& keys);
    void set_server_clock();
    void hand_over_stores(const reply_map& keys);
    void malformed();

    static const int default_play_settings[play_setting_count];

    login_services& services_;

    stringx server_time_;
    store_info store_;
    payment_info payment_;
    std::vector<anneinfo_entry> anneinfo_;
    bcode_info bcode_;
    std::vector<category_record> categories_[3];
    std::vector<schedule_set> schedule_sets_;
    int play_settings_[play_setting_count];
    stringx ad_;
    int skin_ = 0;
    bool remote_ = false;
    bool logged_in_ = false;
    int user_level_ = 1;
    stringx logo_url_;
    stringx main_logo_url_;
    stringx user_id_;
    stringx password_;
    stringx anneinfo_code_;
    anneinfo_listener* anneinfo_listener_ = nullptr;
};

// The user interface's login manager, over the player's login services on
// the player's options block (player_login_services.h).
login_manager* get_login_manager();
