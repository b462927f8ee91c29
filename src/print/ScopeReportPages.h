#pragma once

class QPainter;

namespace kvt {

class ReportLayout;
struct ReportSource;

// The two scope pages: the settings with their written and confirmed values, and the recording
// drawn by the scope view's painter, scaled to the page.
void paintScopeSettingsPage(QPainter& painter, const ReportLayout& layout,
                            const ReportSource& source);
void paintScopeGraphPage(QPainter& painter, const ReportLayout& layout, const ReportSource& source);

}  // namespace kvt
