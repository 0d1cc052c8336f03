#pragma once
// The output manager of zel_output.dll: the selected type and device, the
// buffer length, the listeners, and the outputs it makes (output_types.h says
// what the values mean).
#include <cwchar>
#include <vector>
#include "critsec.h"
#include "output.h"
#include "timer.h"

class output_manager_impl : public singleton_component<output_manager> {
public:
    output_manager_impl();

    void set_buffer_ms(int ms) override;
    int get_buffer_ms() override;
    void select(int output_type, int device_index) override;
    int selected_type() override;
    int selected_device() override;
    output* current() override;
    int devices(int output_type, std::vector<stringx>& names) override;
    void add_listener(output_listener* listener) override;

    // Tells the listeners, when `output_type` is the selected type, that its
    // device list changed. Call without holding any lock of the component.
    void report_device_change(int output_type);

private:
    class poll_timer : public timer {
    public:
        explicit poll_timer(output_manager_impl& owner) : owner_(owner) {}

    protected:
        void tick() override { owner_.poll_devices(); }

    private:
        output_manager_impl& owner_;
    };

    void poll_devices();
    void notify(int output_type, int device_index);

    critsec lock_;
    int buffer_ms_;
    int type_ = 0;
    int device_ = 0;
    std::vector<output_listener*> listeners_;
    std::vector<stringx> waveout_names_;  // as last polled
    poll_timer poll_;
};

// The registered manager, for the other parts of the library.
output_manager_impl& output_manager_instance();

inline bool same_device_names(const std::vector<stringx>& a, const std::vector<stringx>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (wcscmp(a[i].wvalue(), b[i].wvalue()) != 0) return false;
    return true;
}
