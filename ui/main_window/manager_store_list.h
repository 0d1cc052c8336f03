#pragma once
// manager_store_list: the branch-store list of the remote text commands
// kept by the player's store manager (get_store_manager).
#include <memory>
#include "store_list.h"
#include "store_manager.h"

class manager_store_list : public store_list {
public:
    void set_list(const stringx& text) override;
    // Fields 7 and 8 are the numbers of connections and waiting ones; fewer
    // than eleven fields change nothing.
    bool update_store(const std::vector<stringx>& fields) override;
    // A heap store_record; null before any update.
    LPARAM updated_copy() override;

private:
    std::unique_ptr<store_record> updated_;
};
