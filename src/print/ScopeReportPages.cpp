#include "print/ScopeReportPages.h"

#include <QPainter>
#include <algorithm>
#include <string>
#include <vector>

#include "data/Format.h"
#include "data/ScopeModel.h"
#include "print/ReportDocument.h"
#include "print/ReportLayout.h"
#include "scope/ScopeViewModel.h"
#include "scope/view/ScopePainter.h"
#include "scope/view/ScopeTexts.h"

namespace kvt {
namespace {

constexpr int kScopeSetup = 60;
constexpr int kWrite = 143;
constexpr int kRead = 144;
constexpr int kNotRead = 134;
constexpr int kModeNames[] = {78, 79, 80};
constexpr int kTriggerChannelNames[] = {69, 61, 62, 63, 64, 65, 66, 67, 68};
constexpr int kBinaryBits = 8;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

bool valid(std::int32_t flag) {
    return (flag & 0xFF) != 0;
}

template <std::size_t N>
std::string named(Strings& s, const int (&ids)[N], std::int32_t index) {
    return index >= 0 && index < static_cast<std::int32_t>(N) ? s.text(ids[index])
                                                              : format("%d", index);
}

struct SettingLine {
    std::string label;
    std::string write;
    std::string read;  // empty: the controller confirms nothing for this line
};

std::vector<SettingLine> settingLines(const ScopeSettings& c, Strings& s) {
    const std::string notRead = s.text(kNotRead);
    auto readOr = [&](std::int32_t flag, const std::string& value) {
        return valid(flag) ? value : notRead;
    };
    const bool slave = c.masterSlave == 1;
    std::vector<SettingLine> lines = {
        {s.text(77), named(s, kModeNames, c.mode), {}},
        {s.text(145), format("%d", c.acqTime),
         readOr(c.acqTimeReadValid, format("%d", c.acqTimeRead))},
        {s.text(81), format("%1.1f", static_cast<double>(c.setpointBegin)),
         readOr(c.setpointBeginReadValid,
                format("%1.1f", static_cast<double>(c.setpointBeginRead)))},
        {s.text(82), format("%1.1f", static_cast<double>(c.setpointEnd)),
         readOr(c.setpointEndReadValid, format("%1.1f", static_cast<double>(c.setpointEndRead)))},
        {s.text(83), format("%1.1f", static_cast<double>(c.rampTime)), {}},
        {s.text(71) + " " + s.text(70), named(s, kTriggerChannelNames, c.triggerChannel), {}},
        {s.text(72), s.text(c.triggerSlope == 1 ? 73 : 74), {}},
        {s.text(75), format("%d", c.triggerValue), {}},
        {s.text(76),
         c.sampleRateIndex >= 0 && c.sampleRateIndex < static_cast<int>(kSamplePeriodsMs.size())
             ? format("%d", kSamplePeriodsMs[static_cast<std::size_t>(c.sampleRateIndex)])
             : format("%d", c.sampleRateIndex),
         {}},
    };
    auto analogName = [&](int channel, std::int32_t choice) {
        const int id = analogSignalNameId(channel, choice, slave);
        return id != 0 ? s.text(id) : format("%d", choice);
    };
    for (int k = 0; k < kAnalogChannels; ++k) {
        lines.push_back({s.text(61 + k), analogName(k, c.analogSel(k)),
                         readOr(c.analogSelReadValid, analogName(k, c.analogSelRead(k)))});
    }
    for (int k = 0; k < kBinaryChannels; ++k) {
        const std::int32_t bit = c.binarySel[k];
        const std::string name =
            bit >= 0 && bit < kBinaryBits ? s.text(binarySignalNameId(bit)) : format("%d", bit);
        lines.push_back({s.text(65 + k), name, readOr(c.analogSelReadValid, name)});
    }
    lines.push_back({s.text(352), s.text(slave ? 354 : 353), {}});
    return lines;
}

}  // namespace

void paintScopeSettingsPage(QPainter& p, const ReportLayout& layout, const ReportSource& source) {
    Strings& s = source.strings;
    const int labelX = layout.left();
    const int writeX = labelX + layout.width() * 3 / 10;
    const int readX = labelX + layout.width() * 11 / 20;
    int y = layout.bodyTop();
    p.setFont(layout.font(true));
    layout.text(p, labelX, y, qs(s.text(kScopeSetup)), writeX - labelX);
    layout.text(p, writeX, y, qs(s.text(kWrite)), readX - writeX);
    layout.text(p, readX, y, qs(s.text(kRead)));
    y += layout.lineHeight() * 3 / 2;
    p.setFont(layout.font());
    for (const SettingLine& line : settingLines(source.records.scope, s)) {
        layout.text(p, labelX, y, qs(line.label), writeX - labelX);
        layout.text(p, writeX, y, qs(line.write), readX - writeX);
        layout.text(p, readX, y, qs(line.read));
        y += layout.lineHeight();
    }
}

void paintScopeGraphPage(QPainter& p, const ReportLayout& layout, const ReportSource& source) {
    // The page from the binary captions on: the legend column only repeats the captions and the
    // readout values of a cursor that paper does not show.
    const QRect logical(180, 0, page::kWidth - 180, page::kHeight);
    const int top = layout.dateY() + 2 * layout.lineHeight();
    const int availableWidth = layout.width() - 2 * layout.left();
    const int availableHeight = layout.bottom() - top;
    // Stretched to the page as the view stretches to its window, but not into a strip.
    const int h = availableHeight;
    const int w = std::min(availableWidth, h * 8 / 5);
    ScopePaintTarget target;
    target.device =
        QRect(layout.origin() + QPoint(layout.left() + (availableWidth - w) / 2, top), QSize(w, h));
    target.logical = logical;
    target.medium = ScopeMedium::Paper;
    target.cursor = false;
    target.progress = false;
    paintScopePage(p, source.scope, target, false);
    paintScopeTexts(p, source.scope, scopeChannelNames(source.strings, source.records.scope),
                    target, false, source.strings);
}

}  // namespace kvt
