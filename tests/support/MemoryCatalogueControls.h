#pragma once

#include "catalogue/CatalogueControls.h"

#include <map>

namespace qm::test {

// The catalogue tabs' controls as plain values; every control starts enabled, as in the window.
class MemoryCatalogueControls : public qm::catalogue::CatalogueControls {
public:
    using Control = qm::catalogue::Control;

    void setEnabled(Control control, bool enabled) override { enabled_[control] = enabled; }
    bool isEnabled(Control control) const override {
        const auto it = enabled_.find(control);
        return it == enabled_.end() || it->second;
    }

private:
    std::map<Control, bool> enabled_;
};

} // namespace qm::test
