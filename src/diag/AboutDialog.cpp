#include "diag/AboutDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace kvt {
namespace {

// The program's picture: a valve symbol drawn at run time, so the program carries no image file.
QPixmap valvePicture() {
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 3));
    p.setBrush(QColor(0, 160, 220));
    const QPointF left[] = {{6, 20}, {32, 40}, {6, 60}};
    const QPointF right[] = {{58, 20}, {32, 40}, {58, 60}};
    p.drawPolygon(left, 3);
    p.drawPolygon(right, 3);
    p.drawLine(QPointF(32, 40), QPointF(32, 14));
    p.drawRect(QRectF(20, 4, 24, 10));
    return picture;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* owner, Strings& strings, const QString& version,
                         const QString& extra)
    : CToolDialog(owner, strings) {
    setObjectName(QStringLiteral("aboutDialog"));
    // The title always comes from the program's own table; the library may replace it below.
    setWindowTitle(QString::fromStdString(strings.builtin(kTitle)));
    auto* layout = new QGridLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(valvePicture());
    layout->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);
    const char* lines[] = {
        "Service tool for digitally controlled, motor-driven control valves",
        "Parameters, project files, scope recordings and calibration data",
        "over the controller's RS-232 service port",
        "For authorized service personnel only",
    };
    for (int i = 0; i < 4; ++i) {
        layout->addWidget(new QLabel(QString::fromLatin1(lines[i]), this), i, 1, 1, 2);
    }
    auto* versionCaption = new QLabel(QString::fromStdString(strings.builtin(kVersionLabel)), this);
    versionCaption->setObjectName(QStringLiteral("programVersion"));
    layout->addWidget(versionCaption, 4, 1);
    version_ = new QLabel(version, this);
    version_->setObjectName(QStringLiteral("versionText"));
    layout->addWidget(version_, 4, 2);
    extra_ = new QLabel(extra, this);
    extra_->setObjectName(QStringLiteral("extraText"));
    layout->addWidget(extra_, 5, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons, 6, 0, 1, 3);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    if (extra.isEmpty()) {
        extra_->hide();
    }
    if (strings.libraryLoaded()) {
        setWindowTitle(text(kTitle));
        versionCaption->setText(text(kVersionLabel));
        buttons->button(QDialogButtonBox::Ok)->setText(text(kOk));
    }
}

}  // namespace kvt
