#include "platform/qt/CaptionFitting.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace psion::qt {

QStringList WrapCaption(const QString& caption, const QFont& font, int width) {
    const QFontMetrics metrics(font);
    QStringList lines;
    QString line;
    for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (line.isEmpty() || metrics.horizontalAdvance(candidate) <= width) {
            line = candidate;
        } else {
            lines.append(line);
            line = word;
        }
    }
    if (!line.isEmpty() || lines.isEmpty()) lines.append(line);
    return lines;
}

QSize ButtonCaptionRoom(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = QRect(QPoint(0, 0), button.size());
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    // Keep the caption clear of the frame, as the style's own size hint does.
    const int margin = button.style()->pixelMetric(QStyle::PM_ButtonMargin, &option, &button);
    return QSize(contents.width() - margin, contents.height());
}

QString WrapButtonCaption(const QPushButton& button, const QString& caption) {
    return WrapCaption(caption, button.font(), ButtonCaptionRoom(button).width())
        .join(QLatin1Char('\n'));
}

QRect GrowAround(const QRect& table, const QSize& needed, Qt::Alignment anchor) {
    const QSize size = table.size().expandedTo(needed);
    const int extraWidth = size.width() - table.width();
    const int extraHeight = size.height() - table.height();
    int left = table.left();
    if (anchor & Qt::AlignRight) left -= extraWidth;
    if (anchor & Qt::AlignHCenter) left -= extraWidth / 2;
    int top = table.top();
    if (anchor & Qt::AlignBottom) top -= extraHeight;
    if (anchor & Qt::AlignVCenter) top -= extraHeight / 2;
    return QRect(QPoint(left, top), size);
}

}  // namespace psion::qt
