#pragma once
// store_list: the branch-store list of a head office (the store manager) as
// the remote text commands change it.
#include <vector>

#include <windows.h>

#include "stringx.h"

class store_list {
public:
    virtual ~store_list() = default;
    // Replaces the list with the rows of the text.
    virtual void set_list(const stringx& text) = 0;
    // Replaces the eleven fields of the first store whose user id (field 4)
    // equals fields[3] exactly; false when no store matched.
    virtual bool update_store(const std::vector<stringx>& fields) = 0;
    // A new heap copy of the record updated last, for the library window,
    // which takes it over.
    virtual LPARAM updated_copy() = 0;
};
