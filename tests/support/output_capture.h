#pragma once
// Test access to zel_output.dll: the output manager and the capture control
// (output/capture_control.h). The test program lies in the folder where
// zel_output.dll is built (zel_add_test's default), so core::load_library
// finds it.
//
//     capture_control* capture = start_capture();  // type 2 selected, reset
//     ASSERT_NE(capture, nullptr);
//     capture->set_manual_clock();
//     ... the code under test takes outputs with output_manager::current() ...
//     ASSERT_TRUE(wait_for([&] { return capture->output_count() == 1; }));
#include <windows.h>
#include "../../output/capture_control.h"
#include "../../output/output_types.h"
#include "core.h"
#include "output.h"

// Loads the component libraries beside the program (once per process).
inline void load_output_component() {
    if (!core::get_instance()) core::set_instance(GetModuleHandleW(nullptr));
    core::load_library();
}

inline output_manager* find_output_manager() {
    load_output_component();
    return static_cast<output_manager*>(core::enum_create_component(output_manager::iid, 0));
}

inline capture_control* find_capture_control() {
    load_output_component();
    return static_cast<capture_control*>(core::enum_create_component(capture_control::iid, 0));
}

// Resets the capture, sets the buffer length and selects the capture output
// (device 0). Null when zel_output.dll is not there.
inline capture_control* start_capture(int buffer_ms = output_default_buffer_ms) {
    output_manager* manager = find_output_manager();
    capture_control* control = find_capture_control();
    if (!manager || !control) return nullptr;
    control->reset();
    manager->set_buffer_ms(buffer_ms);
    manager->select(output_type_capture, 0);
    return control;
}

// Polls `done` about every millisecond until it holds; false when it still
// does not after timeout_ms of wall time.
template <class Done>
bool wait_for(Done done, DWORD timeout_ms = 10000) {
    DWORD begin = GetTickCount();
    while (!done()) {
        if (GetTickCount() - begin > timeout_ms) return done();
        Sleep(1);
    }
    return true;
}
