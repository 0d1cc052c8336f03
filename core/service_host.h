#pragma once
// service_host: where the service lives. Every request of the service client
// goes to the request host ("rux/..." scripts through http_post); the pages
// that the client opens in a browser are on the web host.
//
// A host is a name or address, optionally with ":port" (http_post connects
// to port 80 when there is none). Each is looked up at every call, first
// found wins:
//   1. the environment variable ZEL_SERVICE_HOST (request host) or
//      ZEL_SERVICE_WEB_HOST (web host): for tests and support staff;
//   2. the key "host" or "web_host" of section "service" in the file
//      "zel_service.ini" in the folder of the running program: what a
//      deployment installs;
//   3. the web host falls back to the request host.
// With none of these the host is empty: requests then fail as "no
// connection", which the client logs.
//
// Any thread may call.
#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API service_host {
public:
    static stringx request_host();  // UNI_CODE
    static stringx web_host();      // UNI_CODE

    // One lookup step: the environment variable's value, else the key of
    // section "service" in ini_path (may be null), trimmed; "" when neither
    // has a value.
    static stringx lookup(const wchar_t* variable, const wchar_t* ini_path, const wchar_t* key);

    // "<folder of the program>\zel_service.ini".
    static stringx config_path();

private:
    service_host() = delete;
};
