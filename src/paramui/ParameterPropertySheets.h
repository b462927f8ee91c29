#pragma once

#include <QTabWidget>
#include <array>
#include <string_view>

#include "data/ParameterRecord.h"

namespace kvt {

class CParametersDlg;
class CParameterPage;

// The sheet of the Parameters dialog: the eight pages in tab order, each editing the dialog's
// copy, and the operations that run on all of them. A tab whose page shows a value that differs
// from the device's carries a marker icon.
class CParameterPropertySheets : public QTabWidget {
    Q_OBJECT

  public:
    // Slots 3 and 4 stay empty; the tabs are the other eight in slot order.
    static constexpr int kSlotCount = 10;

    CParameterPropertySheets(CParametersDlg& owner, ParameterRecord* copy);

    void refreshAll();
    void saveAll();
    void enableAll();
    void updateMarkers();
    // Shows the copy's value of a field again on every page that edits it.
    void refreshField(std::string_view field);

    CParameterPage* page(int slot) const { return slots_[static_cast<std::size_t>(slot)]; }
    bool marked(int tab) const;

  private:
    CParametersDlg& owner_;
    ParameterRecord* copy_;
    std::array<CParameterPage*, kSlotCount> slots_{};
};

}  // namespace kvt
