#pragma once

namespace qm::catalogue {

enum class Control {
    GenerateReportImportCSVButton,
};

// What the catalogue tabs need of their controls besides the grids and the dialogs. The main
// window implements it on its widgets; tests use a plain in-memory implementation.
class CatalogueControls {
public:
    virtual ~CatalogueControls() = default;

    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual bool isEnabled(Control control) const = 0;
};

} // namespace qm::catalogue
