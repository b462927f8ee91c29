#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "StepRecording.h"
#include "scope/view/ChildView.h"
#include "support/RecordingTrace.h"

namespace kvt::test {

class ChildViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetScopeSettings(settings);
        fillStepResponse(settings, *samples, 2000);
    }

    std::unique_ptr<CChildView> makeView(QSize size = {1280, 960}, QWidget* parent = nullptr) {
        auto view = std::make_unique<CChildView>(
            settings, *samples, flags, strings, trace, [this] { return commandWord.load(); },
            parent);
        view->resize(size);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }

    static QString labelText(const CChildView& view, const char* name) {
        const auto* label = view.findChild<QLineEdit*>(QString::fromLatin1(name));
        return label != nullptr ? label->text() : QStringLiteral("<missing>");
    }

    // Whether a pixel of this colour lies within `radius` of the point.
    static bool colourNear(const QImage& image, QPoint at, QColor colour, int radius = 1) {
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                const QPoint p = at + QPoint(dx, dy);
                if (image.rect().contains(p) && image.pixelColor(p).rgb() == colour.rgb()) {
                    return true;
                }
            }
        }
        return false;
    }

    static int countColour(const QImage& image, const QRect& area, QColor colour) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                n += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
            }
        }
        return n;
    }

    ScopeSettings settings{};
    std::unique_ptr<AcquisitionBuffers> samples = std::make_unique<AcquisitionBuffers>();
    AcquisitionFlags flags;
    ScopeStrings strings;
    RecordingTrace trace;
    std::atomic<std::uint32_t> commandWord{0};
};

}  // namespace kvt::test
