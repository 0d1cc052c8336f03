#pragma once
// The logged-in store of the service tests: the stand-in's built-in store
// ("store01", "pw01", "테스트매장") unless a test names another store name or
// password.
#include "service_request.h"

inline request_identity test_identity(const wchar_t* storename = L"테스트매장", const wchar_t* userpw = L"pw01") {
    request_identity id;
    id.store.usertype = L"A";
    id.store.storetop = L"T001";
    id.store.storemother = L"M001";
    id.store.storecode = L"S001";
    id.store.storeid = L"store01";
    id.store.storename = storename;
    id.userid = L"store01";
    id.userpw = userpw;
    id.pc.usermac = L"001A2B3C4D5E";
    return id;
}
