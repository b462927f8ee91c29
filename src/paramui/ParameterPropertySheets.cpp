#include "paramui/ParameterPropertySheets.h"

#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTabBar>

#include "data/ParameterPageRules.h"
#include "paramui/ParameterPage.h"
#include "paramui/ParametersDlg.h"

namespace kvt {
namespace {

// The slot of each tab in tab order; slots 3 and 4 have none.
constexpr std::array<int, 8> kTabSlots = {0, 1, 2, 5, 6, 7, 8, 9};
constexpr int kFirstEdit = 1360;  // "Forward Offset / %"

// A small red disc: this tab holds a value that differs from the device's.
QIcon differsIcon() {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(128, 0, 0), 1));
    painter.setBrush(QColor(255, 0, 0));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return QIcon(pixmap);
}

}  // namespace

CParameterPropertySheets::CParameterPropertySheets(CParametersDlg& owner, ParameterRecord* copy)
    : QTabWidget(&owner), owner_(owner), copy_(copy) {
    setObjectName(QStringLiteral("parameterSheet"));
    const auto tables = parameterPageTables();
    for (std::size_t tab = 0; tab < tables.size() && tab < kTabSlots.size(); ++tab) {
        const PageTable& table = tables[tab];
        auto* page = new CParameterPage(table, owner_, copy_);
        page->setObjectName(QStringLiteral("page%1").arg(table.templateId));
        slots_[static_cast<std::size_t>(kTabSlots[tab])] = page;
        const QString caption =
            table.tabString != 0
                ? QString::fromStdString(owner_.pageStrings().text(table.tabString))
                : QString::fromUtf8(table.tabText);
        addTab(page, caption);
        connect(page, &CParameterPage::edited, this, &CParameterPropertySheets::updateMarkers);
    }
    setIconSize(QSize(12, 12));
}

void CParameterPropertySheets::refreshAll() {
    for (CParameterPage* page : slots_) {
        if (page != nullptr) {
            page->refresh();
        }
    }
    updateMarkers();
    // Only while the Control page is shown: a refresh does not turn the engineer's page.
    auto* first = findChild<QLineEdit*>(CToolDialog::controlName("edit", kFirstEdit));
    if (first != nullptr && currentWidget() == slots_[0]) {
        first->setFocus(Qt::OtherFocusReason);
    }
}

void CParameterPropertySheets::saveAll() {
    for (CParameterPage* page : slots_) {
        if (page != nullptr) {
            page->save();
        }
    }
    updateMarkers();
}

void CParameterPropertySheets::enableAll() {
    for (CParameterPage* page : slots_) {
        if (page != nullptr) {
            page->updateEnable();
        }
    }
}

void CParameterPropertySheets::refreshField(std::string_view field) {
    for (CParameterPage* page : slots_) {
        if (page != nullptr) {
            page->refreshField(field);
        }
    }
}

void CParameterPropertySheets::updateMarkers() {
    static const QIcon icon = differsIcon();
    for (int tab = 0; tab < count(); ++tab) {
        const auto* page = static_cast<const CParameterPage*>(widget(tab));
        const bool differs = page->differsFromDevice();
        if (marked(tab) != differs) {
            setTabIcon(tab, differs ? icon : QIcon());
        }
    }
}

bool CParameterPropertySheets::marked(int tab) const {
    return !tabIcon(tab).isNull();
}

}  // namespace kvt
