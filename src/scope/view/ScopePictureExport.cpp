#include "scope/view/ScopePictureExport.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QPixmap>
#include <cstring>
#include <string_view>

#include "data/FileIo.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopeTexts.h"

#ifdef KVT_HAVE_SVG
#include <QSvgGenerator>
#endif

namespace kvt {
namespace {

bool endsWithSvg(const std::string& path) {
    return path.size() >= 4 && QString::fromStdString(path.substr(path.size() - 4))
                                       .compare(QStringLiteral(".svg"), Qt::CaseInsensitive) == 0;
}

#ifdef KVT_HAVE_SVG
void paintSvg(const CChildView& view, Strings& strings, QBuffer& buffer) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(page::kWidth, page::kHeight));
    svg.setViewBox(QRect(0, 0, page::kWidth, page::kHeight));
    svg.setTitle(QStringLiteral("Scope"));
    QPainter painter(&svg);
    ScopePaintTarget target;
    target.device = QRect(0, 0, page::kWidth, page::kHeight);
    target.medium = ScopeMedium::Paper;
    target.progress = false;
    paintScopePage(painter, view.model(), target, false);
    paintScopeTexts(painter, view.model(), scopeChannelNames(strings, view.model().settings()),
                    target, true, strings);
}
#endif

}  // namespace

bool svgExportAvailable() {
#ifdef KVT_HAVE_SVG
    return true;
#else
    return false;
#endif
}

bool exportScopePicture(CChildView& view, Strings& strings, const std::string& path,
                        std::string& error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (endsWithSvg(path) && svgExportAvailable()) {
#ifdef KVT_HAVE_SVG
        paintSvg(view, strings, buffer);
#endif
    } else if (!view.grab().save(&buffer, "PNG")) {
        error = "the picture could not be made";
        return false;
    }
    const FileWriteResult written = replaceFileContents(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!written.ok) {
        error = std::strerror(written.error);
        return false;
    }
    return true;
}

}  // namespace kvt
