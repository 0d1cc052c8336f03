#pragma once
// reservation_detail_dialog: dialog 148 "예약 상세 보기", the announcements
// of a composite reservation (asked of the service by its list key) with
// their play times. It has no buttons; closing it returns 2. Modal, run by
// the reservation list. User-interface thread only.
#include "dialog.h"
#include "reservation_list_service.h"

class reservation_detail_dialog : public dialog {
public:
    enum : unsigned { template_id = 148, list_control = 1001 };

    reservation_detail_dialog(reservation_services& services, const stringx& listkey)
        : services_(services), listkey_(listkey) {}

    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    const std::vector<anne_schedule_record>& items() const { return items_; }

private:
    reservation_services& services_;
    stringx listkey_;
    std::vector<anne_schedule_record> items_;
};
