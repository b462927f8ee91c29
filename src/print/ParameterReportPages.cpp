#include "print/ParameterReportPages.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

#include "data/Format.h"
#include "data/ParameterCatalogue.h"
#include "data/ParameterPageRules.h"
#include "data/ParameterPages.h"
#include "print/ReportDocument.h"
#include "print/ReportLayout.h"

namespace kvt {
namespace {

constexpr int kWrite = 143;
constexpr int kRead = 144;
constexpr int kNotRead = 134;
constexpr int kParameterSetting = 192;
constexpr int kCustom = 130;
constexpr int kFactory = 132;
constexpr int kAutosafeHeading = 252;
constexpr int kOn = 35;
constexpr int kOff = 36;
constexpr int kPageCount = 3;

// Tabs by printed page, in the dialog's tab order; the rows of a page fit one sheet.
constexpr ParameterPage kPageTabs[kPageCount][4] = {
    {ParameterPage::Control, ParameterPage::Setpoint, ParameterPage::Control,
     ParameterPage::Control},
    {ParameterPage::DigitalInput, ParameterPage::DisplayKeys, ParameterPage::DigitalOut,
     ParameterPage::Error},
    {ParameterPage::AnalogIn, ParameterPage::AnalogOut, ParameterPage::AnalogOut,
     ParameterPage::AnalogOut},
};
constexpr int kPageTabCount[kPageCount] = {2, 4, 2};

// The autosafe fields have no tab and so no caption of the dialog: their printed labels.
struct AutosafeLabel {
    std::string_view field;
    const char* label;
    bool onOff = false;  // a switch: "On" or "Off"
};
constexpr AutosafeLabel kAutosafeLabels[] = {
    {"CURRENT_MIN", "Current Min / mA"},
    {"CURRENT_MAX", "Current Max / mA"},
    {"AUTOSAFE", "Autosafe Function", true},
    {"OVERTEMPERATURE", "Overtemperature", true},
    {"OVERTEMPERATURE_LIMIT", "Overtemperature Limit"},
    {"DELAY_TIME", "Delay Time / sec"},
    {"COIL_ON_TIME", "Coil On Time / sec"},
    {"COIL_OFF_TIME", "Coil Off Time / sec"},
    {"OPTION_INPUT_PRESSURE_SENSOR", "Input Pressure Sensor"},
    {"INPUT_PRESSURE_LIMIT", "Input Pressure Limit"},
    {"AUTOSAFE_SOURCE", "Autosafe Source"},
    {"CURRENT_LIMIT_LEVEL", "Current Limit Level"},
};

std::string captionOf(Strings& strings, int stringId, const char* templateText) {
    return stringId != 0 ? strings.text(stringId) : std::string(templateText);
}

std::string withUnit(std::string value, const char* unit) {
    if (unit != nullptr && *unit != '\0') {
        value += ' ';
        value += unit;
    }
    return value;
}

class LineMaker {
  public:
    LineMaker(const ParameterSets& sets, Strings& strings)
        : sets_(sets), strings_(strings), notRead_(strings.text(kNotRead)) {}

    // Write from the current set, read from the device set while it is valid.
    template <typename Text>
    ParameterLine line(std::string label, Text text) const {
        return {false, std::move(label), text(sets_.currentSet),
                sets_.deviceValid() ? text(sets_.deviceSet) : notRead_};
    }

    void addTab(std::vector<ParameterLine>& out, const PageTable& tab) const {
        out.push_back({true, captionOf(strings_, tab.tabString, tab.tabText), {}, {}});
        const std::size_t first = out.size();
        std::vector<std::string_view> fields;
        // Every setting of the tab, also those its template keeps hidden: the paper records the
        // whole set the controller holds.
        for (const ChoiceRow& row : tab.choices) {
            fields.push_back(row.field);
            out.push_back(line(captionOf(strings_, row.groupString, row.groupText),
                               [&](const ParameterRecord& r) {
                                   return deviceChoiceText(
                                       strings_, row, truncatedInt(pageFieldValue(r, row.field)));
                               }));
        }
        for (const NumericRow& row : tab.numerics) {
            fields.push_back(row.field);
            out.push_back(line(captionOf(strings_, row.captionString, row.captionText),
                               [&](const ParameterRecord& r) {
                                   return withUnit(
                                       formatValue(row.format, pageFieldValue(r, row.field)),
                                       row.unit);
                               }));
        }
        // Measured values only as the tab shows them.
        for (const DeviceValueRow& row : tab.deviceValues) {
            if (!row.visible) {
                continue;
            }
            // Measured by the controller: nothing to write.
            ParameterLine l =
                line(captionOf(strings_, row.captionString, row.captionText),
                     [&](const ParameterRecord& r) {
                         return format("%d", truncatedInt(pageFieldValue(r, row.field)));
                     });
            l.write.clear();
            fields.push_back(row.field);
            out.push_back(std::move(l));
        }
        nameTwins(out, first, fields);
    }

    // Hidden groups may share a caption with a shown one ("Auto Zero" for both inputs): on
    // paper each of them carries its field name, as the device's documentation calls it.
    static void nameTwins(std::vector<ParameterLine>& out, std::size_t first,
                          const std::vector<std::string_view>& fields) {
        std::vector<std::size_t> twins;
        for (std::size_t i = first; i < out.size(); ++i) {
            for (std::size_t j = first; j < out.size(); ++j) {
                if (i != j && out[i].label == out[j].label) {
                    twins.push_back(i);
                    break;
                }
            }
        }
        for (std::size_t i : twins) {
            out[i].label += " [" + std::string(fields[i - first]) + "]";
        }
    }

    void addAutosafe(std::vector<ParameterLine>& out) const {
        out.push_back({true, strings_.text(kAutosafeHeading), {}, {}});
        for (const ParameterDescription& row : parameterCatalogue()) {
            if (row.ini.section == nullptr ||
                std::strcmp(row.ini.section, catalogue::kAutosafe) != 0 || onATab(row.field.name)) {
                continue;
            }
            const AutosafeLabel* label = labelOf(row.field.name);
            const std::string name =
                label != nullptr ? std::string(label->label) : std::string(row.field.name);
            const bool onOff = label != nullptr && label->onOff;
            out.push_back(line(name, [&](const ParameterRecord& r) {
                const double value = fieldValue(r, row.field);
                if (onOff) {
                    return strings_.text(value != 0 ? kOn : kOff);
                }
                return autosafeText(row.ini.form, value);
            }));
        }
    }

  private:
    static bool onATab(std::string_view field) {
        for (const PageTable& tab : parameterPageTables()) {
            const auto has = [field](const auto& rows) {
                return std::any_of(rows.begin(), rows.end(),
                                   [field](const auto& r) { return r.field == field; });
            };
            if (has(tab.numerics) || has(tab.choices) || has(tab.deviceValues)) {
                return true;
            }
        }
        return false;
    }

    static const AutosafeLabel* labelOf(std::string_view field) {
        for (const AutosafeLabel& l : kAutosafeLabels) {
            if (l.field == field) {
                return &l;
            }
        }
        return nullptr;
    }

    // The coded times print in seconds, as KVT_para.ini keeps them.
    static std::string autosafeText(ParaValueForm form, double value) {
        const std::int32_t code = truncatedInt(value);
        switch (form) {
            case ParaValueForm::DelaySeconds:
                return format("%d sec", static_cast<int>(timing::delayTimeSeconds(code)));
            case ParaValueForm::CoilOnSeconds:
                return format("%1.1f sec", timing::coilOnTimeSeconds(code));
            case ParaValueForm::CoilOffSeconds:
                return format("%d sec", static_cast<int>(timing::coilOffTimeSeconds(code)));
            case ParaValueForm::Fixed1:
                return format("%1.1f", value);
            case ParaValueForm::Fixed2:
                return format("%1.2f", value);
            case ParaValueForm::RangeSensor:
                return format("%.3d", code);
            case ParaValueForm::Int:
                break;
        }
        return format("%d", code);
    }

    const ParameterSets& sets_;
    Strings& strings_;
    std::string notRead_;
};

}  // namespace

std::vector<ParameterLine> parameterPageLines(const ParameterSets& sets, Strings& strings,
                                              int pageIndex) {
    std::vector<ParameterLine> lines;
    if (pageIndex < 0 || pageIndex >= kPageCount) {
        return lines;
    }
    const LineMaker maker(sets, strings);
    for (int t = 0; t < kPageTabCount[pageIndex]; ++t) {
        maker.addTab(lines, parameterPageTable(kPageTabs[pageIndex][t]));
    }
    if (pageIndex == kPageCount - 1) {
        maker.addAutosafe(lines);
    }
    return lines;
}

void paintParameterPage(QPainter& p, const ReportLayout& layout, const ReportSource& source,
                        int pageIndex) {
    Strings& s = source.strings;
    const ParameterSets& sets = source.records.params;
    const std::vector<ParameterLine> lines = parameterPageLines(sets, s, pageIndex);

    const int lineHeight = layout.lineHeight();
    int y = layout.bodyTop();
    // The set kind, written and read, above the columns.
    const auto setName = [&s](const ParameterRecord& r) {
        return s.text(r.PARAMETER_SET == 1 ? kFactory : kCustom);
    };
    const int fullWidth = layout.width() - 2 * layout.left();
    const int top = y + 3 * lineHeight;
    const int rowsPerColumn = std::max(1, (layout.bottom() - top) / lineHeight);
    const bool twoColumns = static_cast<int>(lines.size()) > rowsPerColumn;
    const int blockWidth = twoColumns ? fullWidth / 2 : fullWidth;
    const auto columns = [&](int block) {
        const int x = layout.left() + block * (fullWidth / 2);
        return std::array<int, 3>{x, x + blockWidth * 34 / 100, x + blockWidth * 67 / 100};
    };

    const auto c0 = columns(0);
    p.setFont(layout.font(true));
    layout.text(p, c0[0], y, QString::fromStdString(s.text(kParameterSetting)), c0[1] - c0[0]);
    p.setFont(layout.font());
    layout.text(p, c0[1], y, QString::fromStdString(setName(sets.currentSet)), c0[2] - c0[1]);
    layout.text(
        p, c0[2], y,
        QString::fromStdString(sets.deviceValid() ? setName(sets.deviceSet) : s.text(kNotRead)));
    y += 2 * lineHeight;

    for (int block = 0; block < (twoColumns ? 2 : 1); ++block) {
        const auto c = columns(block);
        p.setFont(layout.font(true));
        layout.text(p, c[1], y, QString::fromStdString(s.text(kWrite)), c[2] - c[1]);
        layout.text(p, c[2], y, QString::fromStdString(s.text(kRead)), blockWidth - (c[2] - c[0]));
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int block = static_cast<int>(i) / rowsPerColumn;
        const int row = static_cast<int>(i) % rowsPerColumn;
        const auto c = columns(std::min(block, 1));
        const int ly = top + row * lineHeight;
        const ParameterLine& line = lines[i];
        p.setFont(layout.font(line.heading));
        layout.text(p, c[0], ly, QString::fromStdString(line.label), c[1] - c[0]);
        layout.text(p, c[1], ly, QString::fromStdString(line.write), c[2] - c[1]);
        layout.text(p, c[2], ly, QString::fromStdString(line.read), blockWidth - (c[2] - c[0]));
    }
}

}  // namespace kvt
