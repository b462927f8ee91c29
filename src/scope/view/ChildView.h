#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/AcquisitionBuffers.h"
#include "data/ScopeSettings.h"
#include "data/Strings.h"
#include "data/TraceSink.h"
#include "scope/ScopeViewModel.h"

class QLineEdit;
class QPushButton;

namespace kvt {

class ColourLabel;

// The scope view: the main frame's client. It shows the recording as an oscilloscope on a
// 1280 x 960 logical page scaled to the client, with a legend column of readout values, a
// readout cursor (drag it, or type its time into the readout edit), rubber-band zoom with Zoom
// Back, an optional grid and the progress bar of a running acquisition.
//
// The view only reads the settings and the samples. The engine announces new samples through
// the main frame (onDisplayUpdate, onAcquisitionEnded); the main frame calls the operations
// below for its menu commands. All calls come from the user-interface thread.
class CChildView : public QWidget {
    Q_OBJECT

  public:
    // Returns the engine's command word; while an acquisition bit (0x200, 0x400, 0x800) is set
    // the view starts neither zoom nor readout drags and shows the arrow cursor.
    using CommandWord = std::function<std::uint32_t()>;

    // Control ids, also the object names of the two tab stops.
    static constexpr int kReadoutEditId = 1055;
    static constexpr int kZoomBackId = 1054;

    CChildView(ScopeSettings& settings, AcquisitionBuffers& samples, AcquisitionFlags& flags,
               Strings& strings, TraceSink& trace, CommandWord commandWord,
               QWidget* parent = nullptr);
    ~CChildView() override;

    // Period from the settings, window 0 .. acqTime, readout in the middle, default range.
    void resetView();
    // Menu 32009 and the Zoom Back button: back to the whole recording and the default range.
    void zoomBack();
    // Sample period from the settings (after the setup dialog); repaints.
    void setPeriodFromSettings();
    // Show Grid (menu 32012): the frame flips the flag and checks its menu item.
    void setGrid(bool on);
    bool grid() const;
    // Signal names for the captions, by the settings' Master/Slave choice.
    void reloadChannelNames();
    // What Start Acquisition (32017) does to the view: reset, zoom back, progress bar to 0;
    // Trigger Mode (mode 2) puts the bar and the readout on the newest sample at the right.
    void startAcquisitionView(int mode);
    // Notification 0x30: samples up to sampleCount are in the buffers. Repaints the strip behind
    // the progress bar before it returns (the engine waits meanwhile).
    void onDisplayUpdate(int sampleCount);
    // Notification 0x31: refreshes the readout values and repaints everything now.
    void onAcquisitionEnded();
    // A communication error ended the recording: the view leaves its recording look (thin pens,
    // progress bar) at once instead of keeping it until the next recording.
    void onAcquisitionAbandoned();
    // Keyboard commands 32022 (Tab), 32023 (Shift+Tab) and 32025 (Enter).
    void nextTab();
    void prevTab();
    void enterCommand();

    // For the main frame's status and for tests.
    const ScopeViewModel& model() const { return model_; }
    // Renders the page (without the label controls) as the view would for this client size.
    QImage renderPage(QSize client) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct ZoomDrag {
        bool active = false;
        QPoint anchor;
        QPoint point;
        QRect band;  // device rectangle drawn last; empty when none
    };

    void createLabels();
    // Moves and re-texts the label controls for the current state. Called whenever the state
    // changes, before the paint that shows it: a paint must not move child widgets, or the
    // areas they leave stay unpainted.
    void syncLabels();
    // Object names: role and index (leftLabel0, timeLabel3, ...), for the frame and tests.
    // True when labels were added.
    bool syncTickLabels(std::vector<ColourLabel*>& pool, int count, const char* role);
    void placeLabel(QWidget* label, int left, int top, int right, int bottom) const;
    QString analogName(int channel) const;
    QString binaryName(int strip) const;

    void invalidateAll();
    void renderCanvas();
    bool acquisitionRunning() const;
    void updateCursor(int logicalX, int logicalY);
    void moveReadoutTime(QPoint device);
    void dragZoomTo(QPoint device);
    void zoomWindow(const QRect& band);
    void applyReadoutEdit();
    void focusTabStop(int index);
    int tabStopWithFocus() const;
    QRegion bandEdges(const QRect& band) const;

    ScopeSettings& settings_;
    AcquisitionFlags& flags_;
    Strings& strings_;
    TraceSink& trace_;
    CommandWord commandWord_;
    ScopeViewModel model_;

    QImage canvas_;
    bool canvasDirty_ = true;

    QFont labelFont_;
    int labelHeight_ = page::kLabelHeightSmall;
    std::array<std::array<std::string, 5>, kAnalogChannels> analogNames_;
    std::array<std::string, 8> binaryNames_;

    std::array<ColourLabel*, kAnalogChannels> plotCaptions_{};
    std::array<ColourLabel*, kAnalogChannels> legendCaptions_{};
    std::array<ColourLabel*, kAnalogChannels> legendValues_{};
    std::array<ColourLabel*, kBinaryChannels> binaryCaptions_{};
    std::array<ColourLabel*, kBinaryChannels> binaryValues_{};
    ColourLabel* readoutCaption_ = nullptr;
    ColourLabel* readoutEdit_ = nullptr;
    ColourLabel* timeUnit_ = nullptr;
    QPushButton* zoomBackButton_ = nullptr;
    std::vector<ColourLabel*> leftLabels_;
    std::vector<ColourLabel*> rightLabels_;
    std::vector<ColourLabel*> timeLabels_;
    // The readout time the edit was last filled with; typed entries are left as applied.
    float shownReadoutTime_ = -1.0f;

    ZoomDrag zoom_;
    bool draggingReadout_ = false;
    bool closing_ = false;
};

}  // namespace kvt
