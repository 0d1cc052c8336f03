#pragma once
// What the requests of the logged-in store carry: the store and credentials
// of the login manager, the PC identity and volumes of the player options.
#include "service_request.h"

request_identity current_request_identity();
