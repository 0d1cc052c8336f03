#pragma once
// Registration nodes and the per-library statics of the component registry.
//
// Every library (zel_core and each component library) keeps a singly linked
// list of `service_factory` nodes. Each node is a static object; its
// constructor pushes it onto the list head, so the list runs in the reverse of
// the order in which the library's static initializers ran. The library's
// export `zel_get_component` hands zel_core a `module_descriptor` whose one
// operation returns that head.
#include <windows.h>
#include "component.h"

class core_api;

class service_factory {
public:
    // A singleton node returns its embedded object; a per-use node a new one.
    virtual component* create() = 0;

    service_factory* next;
    GUID iid;

protected:
    explicit service_factory(const GUID& interface_id);
    ~service_factory() = default;
};

class module_descriptor {
public:
    virtual service_factory* first_factory();
};

// Per-library statics, defined once in every library (component_entry.cpp).
service_factory*& zel_factory_list_head();
core_api* get_core_api();
HINSTANCE get_module_instance();
const wchar_t* get_module_path();

inline service_factory::service_factory(const GUID& interface_id)
    : next(zel_factory_list_head()), iid(interface_id) {
    zel_factory_list_head() = this;
}

// A node whose object is made once, inside the node, at library load.
template <class Interface, class Impl>
class singleton_factory : public service_factory {
public:
    singleton_factory() : service_factory(Interface::iid) {}
    component* create() override { return &object_; }
    Impl& object() { return object_; }

private:
    Impl object_;
};

// A node that makes a new object for every call; the caller releases it.
template <class Interface, class Impl>
class per_use_factory : public service_factory {
public:
    per_use_factory() : service_factory(Interface::iid) {}
    component* create() override { return new Impl(); }
};
