#include "paramui/ParameterPage.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <limits>

#include "data/ParameterPageRules.h"
#include "paramui/ParametersDlg.h"
#include "widgets/ColorButton.h"
#include "widgets/DeviceValueEdit.h"
#include "widgets/SpinButton.h"
#include "widgets/ToolDialog.h"

namespace kvt {
namespace {

constexpr int kMaxGroupColumns = 3;

template <typename T>
T* named(T* widget, const char* kind, int id) {
    widget->setObjectName(CToolDialog::controlName(kind, id));
    return widget;
}

QLineEdit* makeDeviceEdit(QWidget* parent, int id) {
    return named(makeDeviceValueEdit(parent), "edit", id);
}

// The text with the caret at its end, as after typing.
void writeEdit(QLineEdit& edit, const QString& text) {
    edit.setText(text);
    edit.setCursorPosition(static_cast<int>(text.size()));
}

void putText(QLineEdit& edit, const QString& text) {
    if (edit.text() != text) {
        edit.setText(text);
    }
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The spin steps from the value it edits (the slave gain in structure 6), not from the edit's.
int spinPlace(const NumericRow& row, const ParameterRecord& copy) {
    return spinPosition(row, pageFieldValue(copy, spinTarget(row, copy).field));
}

// The height a group takes in the page's columns, in radio lines.
int groupLines(const ChoiceRow& row) {
    const auto shown = std::count_if(row.options.begin(), row.options.end(),
                                     [](const ChoiceOption& o) { return !o.hidden; });
    return static_cast<int>(shown) + 2;
}

// Where each column starts when the groups, in order, are cut into at most `columns` columns with
// the tallest as low as it can be (a handful of groups: every cut is tried).
std::vector<int> columnStarts(const std::vector<int>& heights, int columns) {
    const int n = static_cast<int>(heights.size());
    std::vector<int> best{0};
    int bestTallest = std::numeric_limits<int>::max();
    std::vector<int> starts{0};
    const std::function<void(int, int, int)> cut = [&](int from, int left, int tallest) {
        if (left == 1) {
            int rest = 0;
            for (int i = from; i < n; ++i) {
                rest += heights[static_cast<std::size_t>(i)];
            }
            if (std::max(tallest, rest) < bestTallest) {
                bestTallest = std::max(tallest, rest);
                best = starts;
            }
            return;
        }
        int height = 0;
        for (int end = from + 1; end < n; ++end) {
            height += heights[static_cast<std::size_t>(end - 1)];
            starts.push_back(end);
            cut(end, left - 1, std::max(tallest, height));
            starts.pop_back();
        }
    };
    for (int k = 1; k <= std::max(1, columns); ++k) {
        cut(0, k, 0);
    }
    return best;
}

}  // namespace

CParameterPage::CParameterPage(const PageTable& table, CParametersDlg& owner, ParameterRecord* copy)
    : table_(table), owner_(owner), copy_(copy) {
    build();
}

CParameterPage::~CParameterPage() {
    // Focus changes while the children go must not reach a page that is half gone.
    for (const Numeric& n : numerics_) {
        n.edit->removeEventFilter(this);
    }
}

QString CParameterPage::captionText(int stringId, const char* templateText) const {
    if (stringId != 0 && owner_.pageStrings().libraryLoaded()) {
        return qs(owner_.pageStrings().text(stringId));
    }
    return QString::fromUtf8(templateText);
}

void CParameterPage::build() {
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(9, 9, 9, 9);
    outer->setSpacing(12);
    // Left: the template's own captions and notes, then the numeric fields and device words.
    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    for (const CaptionRow& row : table_.captions) {
        auto* note = new QLabel(captionText(row.stringId, row.text), this);
        if (row.control != 0) {
            named(note, "static", row.control);
        }
        left->addWidget(note);
        if (!row.visible) {
            note->hide();
        }
    }
    if (!table_.numerics.empty() || !table_.deviceValues.empty()) {
        left->addWidget(buildNumerics());
    }
    left->addStretch(1);
    outer->addLayout(left);

    // The groups fill up to three columns in table order, cut where the tallest column is lowest.
    choices_.reserve(table_.choices.size());
    std::vector<int> heights;
    for (const ChoiceRow& row : table_.choices) {
        choices_.push_back(Choice{&row, nullptr, nullptr, {}});
        if (row.visible) {
            heights.push_back(groupLines(row));
        }
    }
    const int shown = static_cast<int>(heights.size());
    const int columns = std::clamp(shown <= 2 ? shown : (shown + 1) / 2, 1, kMaxGroupColumns);
    const std::vector<int> firsts = columnStarts(heights, columns);
    std::vector<QVBoxLayout*> stacks;
    int visibleIndex = 0;
    for (Choice& c : choices_) {
        QGroupBox* group = buildChoice(c);
        if (!c.row->visible) {
            group->hide();
            if (!stacks.empty()) {
                stacks.back()->addWidget(group);
            } else {
                outer->addWidget(group);
            }
            continue;
        }
        if (std::find(firsts.begin(), firsts.end(), visibleIndex) != firsts.end()) {
            stacks.push_back(new QVBoxLayout);
            stacks.back()->setSpacing(8);
            outer->addLayout(stacks.back());
        }
        stacks.back()->addWidget(group);
        ++visibleIndex;
    }
    for (QVBoxLayout* stack : stacks) {
        stack->addStretch(1);
    }
    outer->addStretch(1);
}

QWidget* CParameterPage::buildNumerics() {
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")) + 12;
    int line = 0;
    numerics_.reserve(table_.numerics.size());
    for (const NumericRow& row : table_.numerics) {
        Numeric n{&row, nullptr, nullptr, nullptr, nullptr};
        n.caption = named(new QLabel(captionText(row.captionString, row.captionText), area),
                          "static", row.captionControl);
        n.edit = named(new QLineEdit(area), "edit", row.edit);
        n.edit->setFixedWidth(width);
        n.edit->setToolTip(qs(numericRangeText(row)));
        n.edit->installEventFilter(this);
        n.spin = named(new SpinButton(area), "spin", row.spin);
        n.device = makeDeviceEdit(area, row.readOnly);
        n.device->setFixedWidth(width);
        grid->addWidget(n.caption, line, 0);
        grid->addWidget(n.edit, line, 1);
        grid->addWidget(n.spin, line, 2);
        grid->addWidget(n.device, line, 3);
        if (!row.visible) {
            for (QWidget* w : {static_cast<QWidget*>(n.caption), static_cast<QWidget*>(n.edit),
                               static_cast<QWidget*>(n.spin), static_cast<QWidget*>(n.device)}) {
                w->hide();
            }
        }
        ++line;
        numerics_.push_back(n);
    }
    for (Numeric& n : numerics_) {
        const Numeric* bound = &n;
        connect(n.spin, &SpinButton::stepped, this,
                [this, bound](int delta) { onSpin(*bound, delta); });
    }
    for (const DeviceValueRow& row : table_.deviceValues) {
        auto* caption = new QLabel(captionText(row.captionString, row.captionText), area);
        if (row.captionControl != 0) {
            named(caption, "static", row.captionControl);
        }
        QLineEdit* device = makeDeviceEdit(area, row.readOnly);
        device->setFixedWidth(width);
        grid->addWidget(caption, line, 0);
        grid->addWidget(device, line, 3);
        if (!row.visible) {
            caption->hide();
            device->hide();
        }
        ++line;
        deviceValues_.push_back(DeviceValue{&row, device});
    }
    grid->setColumnStretch(0, 1);
    return area;
}

QGroupBox* CParameterPage::buildChoice(Choice& choice) {
    const ChoiceRow& row = *choice.row;
    auto* group = new QGroupBox(captionText(row.groupString, row.groupText), this);
    if (row.groupControl != 0) {
        named(group, "static", row.groupControl);
    }
    auto* column = new QVBoxLayout(group);
    column->setSpacing(2);
    column->setContentsMargins(8, 4, 8, 6);
    choice.group = group;
    choice.device = makeDeviceEdit(group, row.readOnly);
    column->addWidget(choice.device);
    for (std::size_t i = 0; i < row.options.size(); ++i) {
        const ChoiceOption& option = row.options[i];
        auto* radio = named(new CColorButton(captionText(option.textString, option.text), group),
                            "radio", option.radio);
        column->addWidget(radio);
        if (option.hidden) {
            radio->hide();
        }
        connect(radio, &QAbstractButton::clicked, this, [this, &choice, i] { onRadio(choice, i); });
        choice.radios.push_back(radio);
    }
    return group;
}

// ---------------------------------------------------------------------------------------------
// Refresh

void CParameterPage::refresh() {
    applyRefreshFixUps(*copy_);
    for (const Numeric& n : numerics_) {
        refreshNumeric(n);
    }
    for (const Choice& c : choices_) {
        refreshChoice(c);
    }
    for (const DeviceValue& d : deviceValues_) {
        putText(*d.device, qs(deviceWordText(owner_.pageStrings(), *d.row, owner_.sets().deviceSet,
                                             owner_.deviceValid())));
    }
    refreshCaptions();
}

void CParameterPage::refreshField(std::string_view field) {
    for (const Numeric& n : numerics_) {
        if (n.row->field == field) {
            refreshNumeric(n);
        }
    }
}

void CParameterPage::refreshNumeric(const Numeric& n) {
    const NumericRow& row = *n.row;
    const double value = pageFieldValue(*copy_, row.field);
    putText(*n.edit, qs(formatValue(row.format, value)));
    putText(*n.device, qs(deviceNumericText(owner_.pageStrings(), row, owner_.sets().deviceSet,
                                            owner_.deviceValid())));
    const SpinTarget target = spinTarget(row, *copy_);
    n.spin->setRange(target.lo, target.hi);
    n.spin->setPosition(spinPlace(row, *copy_));
}

void CParameterPage::refreshChoice(const Choice& c) {
    const ChoiceRow& row = *c.row;
    const ParameterRecord& device = owner_.sets().deviceSet;
    const auto value = static_cast<std::int32_t>(pageFieldValue(*copy_, row.field));
    for (std::size_t i = 0; i < row.options.size(); ++i) {
        if (row.options[i].code != value) {
            c.radios[i]->setCheckedAlone(false);
        }
    }
    const ChoiceOption* red = differingDeviceOption(row, *copy_, device, owner_.deviceValid());
    for (std::size_t i = 0; i < row.options.size(); ++i) {
        const ChoiceOption& option = row.options[i];
        if (option.code == value) {
            c.radios[i]->setCheckedAlone(true);
        }
        c.radios[i]->setColour(&option == red ? QColor(CColorButton::kDiffersColour)
                                              : QColor(CColorButton::kDefaultColour));
    }
    putText(*c.device,
            qs(deviceGroupText(owner_.pageStrings(), row, device, owner_.deviceValid())));
}

void CParameterPage::refreshCaptions() {
    for (const Numeric& n : numerics_) {
        const std::optional<int> id = structureCaption(*copy_, n.row->captionControl);
        const QString text = id ? qs(owner_.pageStrings().text(*id))
                                : captionText(n.row->captionString, n.row->captionText);
        if (n.caption->text() != text) {
            n.caption->setText(text);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Save

void CParameterPage::save() {
    // The page's own order: each table lists its rows in the order the page reads them.
    for (const Choice& c : choices_) {
        saveChoice(c);
    }
    for (const Numeric& n : numerics_) {
        saveNumeric(n);
    }
}

void CParameterPage::saveNumeric(const Numeric& n) {
    const NumericRow& row = *n.row;
    const ParsedEdit parsed = parseNumericEdit(row, n.edit->text().toStdString());
    setPageFieldValue(*copy_, row.field, parsed.value);
    const QString text = qs(parsed.text);
    if (n.edit->text() != text) {
        writeEdit(*n.edit, text);
    }
    n.spin->setPosition(spinPlace(row, *copy_));
    afterCurrentLimit(row);
}

void CParameterPage::saveChoice(const Choice& c) {
    if (!c.row->saved) {
        return;
    }
    for (std::size_t i = 0; i < c.radios.size(); ++i) {
        if (c.radios[i]->isChecked()) {
            setPageFieldValue(*copy_, c.row->field, c.row->options[i].code);
            return;
        }
    }
}

void CParameterPage::afterCurrentLimit(const NumericRow& row) {
    if (row.rule == NumericRule::CurrentLimit && applyCurrentDerivedSetpoint(*copy_)) {
        owner_.storeDerivedSetpoint();
    }
}

// ---------------------------------------------------------------------------------------------
// Handlers

void CParameterPage::onSpin(const Numeric& n, int delta) {
    // A step beyond a bound stops the spin there.
    const SpinMove move = applySpin(*n.row, *copy_, n.spin->position() + delta);
    const SpinTarget target = spinTarget(*n.row, *copy_);
    n.spin->setRange(target.lo, target.hi);
    n.spin->setPosition(move.position);
    writeEdit(*n.edit, qs(move.text));
    n.edit->setFocus(Qt::OtherFocusReason);
    afterCurrentLimit(*n.row);
    emit edited();
}

void CParameterPage::onRadio(const Choice& c, std::size_t option) {
    if (!c.radios[option]->isChecked()) {
        return;
    }
    const std::int32_t code = c.row->options[option].code;
    if (c.row->field == "CONTROLLER_STRUCTURE") {
        ParameterRecord& current = owner_.sets().currentSet;
        const ParameterRecord before = current;
        const bool again = applyStructureClick(code, *copy_, current, owner_.sets().visible);
        // The structure reaches the current set at once: the project has changed.
        if (current != before) {
            owner_.setModifiedFlag(1);
        }
        if (again) {
            refresh();
        }
    } else {
        setPageFieldValue(*copy_, c.row->field, code);
        refreshChoice(c);
    }
    emit edited();
}

bool CParameterPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        for (const Numeric& n : numerics_) {
            if (n.edit == watched) {
                saveNumeric(n);
                emit edited();
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Enabling and the device comparison

void CParameterPage::updateEnable() {
    // A feedback that became a current re-derives the setpoint, and the page shows it.
    ParameterRecord fixed = *copy_;
    applyRefreshFixUps(fixed);
    if (fixed != *copy_) {
        refresh();
    }
    const PageState state{*copy_, owner_.sets().visible, owner_.command()};
    for (const Numeric& n : numerics_) {
        const bool on = numericEnabled(state, *n.row);
        n.edit->setEnabled(on);
        n.spin->setEnabled(on);
    }
    for (const Choice& c : choices_) {
        for (std::size_t i = 0; i < c.radios.size(); ++i) {
            c.radios[i]->setEnabled(optionEnabled(state, *c.row, c.row->options[i]));
        }
    }
}

bool CParameterPage::differsFromDevice() const {
    return pageDiffersFromDevice(table_, *copy_, owner_.sets().deviceSet, owner_.deviceValid());
}

}  // namespace kvt
