// The announcements of a composite reservation.
#include "reservation_detail_dialog.h"

#include <commctrl.h>

#include "reservation_list.h"

LRESULT reservation_detail_dialog::dialog_proc(UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = GetDlgItem(hwnd_, list_control);
        if (!list) return TRUE;
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        items_.clear();
        services_.detail(listkey_, items_);
        RECT client = {};
        GetClientRect(list, &client);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = client.right - client.left - 70;
        column.pszText = const_cast<wchar_t*>(L"제목");
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        column.fmt = LVCFMT_CENTER;
        column.cx = 70;
        column.pszText = const_cast<wchar_t*>(L"재생 시간s");
        SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
        for (size_t i = 0; i < items_.size(); ++i) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<wchar_t*>(items_[i].title.wvalue());
            const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            std::wstring length = reservation_length_text(static_cast<long>(items_[i].playtime.total_seconds()));
            item.iItem = row;
            item.iSubItem = 1;
            item.pszText = const_cast<wchar_t*>(length.c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        }
        return TRUE;
    }
    case WM_CLOSE:
        EndDialog(hwnd_, 2);
        return TRUE;
    default:
        return FALSE;
    }
}
