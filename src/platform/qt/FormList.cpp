#include "platform/qt/FormList.h"

#include <QByteArray>
#include <QFontMetrics>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

#include "platform/qt/TextCodec.h"

namespace psion::qt {

namespace {
constexpr int kBytesRole = Qt::UserRole;
}  // namespace

FormList::FormList(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, [this] { UpdateTip(); });
}

void FormList::AddEntry(const std::string& bytes) {
    addItem(DecodeText(bytes), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string FormList::ChosenEntry() const {
    if (currentIndex() < 0) return {};
    const QByteArray bytes = currentData(kBytesRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FormList::ElidedToFit(const QString& text) const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // The style draws the text one pixel inside the field on either side.
    const int room = field.width() - 2;
    const QFontMetrics metrics = fontMetrics();
    if (metrics.horizontalAdvance(text) <= room) return text;
    // A path keeps its last folder whole, which tells its entries apart, and
    // shows as much of its start as fits before it.
    const qsizetype lastFolder =
        std::max(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
    const QString ellipsis(QChar(0x2026));
    if (lastFolder > 0) {
        const QString end = text.mid(lastFolder);
        const int headRoom = room - metrics.horizontalAdvance(end);
        if (headRoom >= metrics.horizontalAdvance(ellipsis)) {
            QString head = metrics.elidedText(text.left(lastFolder), Qt::ElideRight, headRoom);
            if (head.isEmpty()) head = ellipsis;
            return head + end;
        }
    }
    return metrics.elidedText(text, Qt::ElideMiddle, room);
}

QString FormList::ShownText() const { return ElidedToFit(currentText()); }

void FormList::SetTipShowsWholeEntry(bool shows) {
    tipShowsWholeEntry_ = shows;
    UpdateTip();
}

void FormList::UpdateTip() {
    if (!tipShowsWholeEntry_) return;
    setToolTip(currentText());
    setAccessibleDescription(currentText());
}

void FormList::paintEvent(QPaintEvent*) {
    // As QComboBox paints itself, with the text elided to fit.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = ElidedToFit(option.currentText);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace psion::qt
